#include "platform/sim/models/modern_model.h"

#include <algorithm>

namespace pacetta::sim {
namespace {

constexpr uint32_t kPlatformInfo = 0xCE, kPerfStatus = 0x198, kPerfCtl = 0x199;
constexpr uint32_t kPmEnable = 0x770, kHwpCapabilities = 0x771, kHwpRequest = 0x774;
constexpr uint32_t kTemperatureTarget = 0x1A2;
constexpr uint32_t kPstateCurLim = 0xC0010061, kPstateCtl = 0xC0010062;
constexpr uint32_t kPstateStat = 0xC0010063, kPstateDef0 = 0xC0010064;
constexpr uint32_t kHwPstateStatus = 0xC0010293;
constexpr unsigned kZenPstates = 3;
// Zen FIDs count 25 MHz at the divisor 8 (a divisor of 1): 4 FID steps make a ratio.
constexpr uint32_t kFidPerRatio = 4, kDfsId = 8;
// Zen VIDs: 1.55 V less 6.25 mV per step. P0 runs 1.2 V, P1 1.0 V, P2 0.9 V.
constexpr uint32_t kPstateVids[kZenPstates] = {56, 88, 104};

uint64_t ZenPoint(uint32_t ratio, uint32_t vid) {
  return uint64_t{ratio * kFidPerRatio & 0xFF} | uint64_t{kDfsId} << 8 | uint64_t{vid & 0xFF} << 14;
}

}  // namespace

ModernModel::ModernModel(const ProcessorTraits& traits,
                         const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock)
    : FamilyModel(std::move(clock)),
      traits_(traits),
      part_(ModernPartFor(traits)),
      floor_(part_.lowestRatio),
      ceiling_(part_.highestRatio) {
  perfControl_ = StartValue(msrStart, kPerfCtl, uint64_t{part_.baseRatio} << 8);
  pstateControl_ = StartValue(msrStart, kPstateCtl, 0);
}

std::vector<uint32_t> ModernModel::AnsweredRegisters() const {
  if (Intel()) {
    return {kPlatformInfo,    kPerfStatus, kPerfCtl,          kPmEnable,
            kHwpCapabilities, kHwpRequest, kTemperatureTarget};
  }
  return {kPstateCurLim,   kPstateCtl,      kPstateStat,    kPstateDef0,
          kPstateDef0 + 1, kPstateDef0 + 2, kHwPstateStatus};
}

void ModernModel::Steer(uint32_t floorRatio, uint32_t ceilingRatio, uint32_t epp) {
  {
    std::lock_guard lock(steerMutex_);
    steering_ = Steering{floorRatio, ceilingRatio, epp};
  }
  State();  // takes it over and tells the listener
}

void ModernModel::Settle(uint64_t) {
  std::lock_guard lock(steerMutex_);
  if (!steering_) return;
  ceiling_ = std::clamp(steering_->ceiling, part_.lowestRatio, part_.highestRatio);
  floor_ = std::clamp(steering_->floor, part_.lowestRatio, ceiling_);
  epp_ = steering_->epp & 0xFF;
  steering_.reset();
}

ModelState ModernModel::StateLocked() const {
  ModelState state;
  state.family = traits_.family;
  state.current = {ceiling_, 0};
  state.loadFloorFid = floor_;
  return state;
}

bool ModernModel::ReadOnly(uint32_t index) const {
  if (Intel()) {
    return index == kPlatformInfo || index == kPerfStatus || index == kHwpCapabilities ||
           index == kTemperatureTarget;
  }
  return index == kPstateCurLim || index == kPstateStat || index == kHwPstateStatus ||
         (index >= kPstateDef0 && index < kPstateDef0 + kZenPstates);
}

uint64_t ModernModel::HwpRequest() const {
  return uint64_t{floor_} | uint64_t{ceiling_} << 8 | uint64_t{epp_} << 24;
}

uint64_t ModernModel::PstateDef(unsigned n) const {
  return uint64_t{1} << 63 | ZenPoint(part_.pstateRatios[n], kPstateVids[n]);
}

// The lowest-numbered (fastest) P-state the ceiling reaches; boost above P0 reads as P0.
unsigned ModernModel::CurrentPstate() const {
  for (unsigned n = 0; n < kZenPstates; ++n) {
    if (part_.pstateRatios[n] <= ceiling_) return n;
  }
  return kZenPstates - 1;
}

MsrAccess ModernModel::ReadLocked(uint32_t index, uint64_t& value) {
  switch (index) {
    case kPlatformInfo:
      value = uint64_t{part_.baseRatio} << 8 | uint64_t{part_.lowestRatio} << 40;
      return MsrAccess::kDone;
    case kPerfStatus:
      value = uint64_t{ceiling_} << 8;
      return MsrAccess::kDone;
    case kPerfCtl:
      value = perfControl_;
      return MsrAccess::kDone;
    case kPmEnable:
      value = 1;
      return MsrAccess::kDone;
    case kHwpCapabilities:
      value = uint64_t{part_.highestRatio} | uint64_t{part_.baseRatio} << 8 |
              uint64_t{part_.baseRatio / 2} << 16 | uint64_t{part_.lowestRatio} << 24;
      return MsrAccess::kDone;
    case kHwpRequest:
      value = HwpRequest();
      return MsrAccess::kDone;
    case kTemperatureTarget:
      value = uint64_t{kTjMaxC} << 16;
      return MsrAccess::kDone;
    case kPstateCurLim:
      value = uint64_t{kZenPstates - 1} << 4;
      return MsrAccess::kDone;
    case kPstateCtl:
      value = pstateControl_;
      return MsrAccess::kDone;
    case kPstateStat:
      value = CurrentPstate();
      return MsrAccess::kDone;
    case kHwPstateStatus:
      value = ZenPoint(ceiling_, kPstateVids[CurrentPstate()]) | uint64_t{CurrentPstate()} << 22;
      return MsrAccess::kDone;
    default:
      if (index >= kPstateDef0 && index < kPstateDef0 + kZenPstates) {
        value = PstateDef(index - kPstateDef0);
        return MsrAccess::kDone;
      }
      return MsrAccess::kNotHandled;
  }
}

MsrAccess ModernModel::WriteLocked(MsrContext& context, uint32_t index, uint64_t value) {
  if (ReadOnly(index)) {
    Refuse(context, index, value, "read-only register");
    return MsrAccess::kFault;
  }
  switch (index) {
    case kPerfCtl:
      perfControl_ = value;  // HWP is on: the ratio request has no effect
      return MsrAccess::kDone;
    case kPmEnable:
      return MsrAccess::kDone;  // once on, HWP stays on until reset
    case kHwpRequest:
      return MsrAccess::kDone;  // the kernel's driver owns the request and rewrites it
    case kPstateCtl:
      pstateControl_ = value & 0x7;  // the driver owns the states: no effect
      return MsrAccess::kDone;
    default:
      return MsrAccess::kNotHandled;
  }
}

}  // namespace pacetta::sim
