#include "platform/sim/models/longrun_model.h"

#include <algorithm>

#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kPercentMax = 100;
constexpr uint32_t kPerformanceBit = 1;
constexpr double kAtmStep = 0.125;  // each ATM level takes 12.5 % off the top clock

constexpr uint32_t Low(uint64_t value) {
  return static_cast<uint32_t>(value);
}
constexpr uint32_t High(uint64_t value) {
  return static_cast<uint32_t>(value >> 32);
}
constexpr uint64_t Halves(uint32_t low, uint32_t high) {
  return uint64_t{high} << 32 | low;
}

}  // namespace

LongRunModel::LongRunModel(std::span<const LongRunLevel> levels,
                           const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock)
    : FamilyModel(std::move(clock)), levels_(levels) {
  const uint64_t bounds = StartValue(msrStart, kBounds, Halves(0, kPercentMax));
  if (Low(bounds) <= High(bounds) && High(bounds) <= kPercentMax) {
    lower_ = Low(bounds);
    upper_ = High(bounds);
  }
  performance_ = (StartValue(msrStart, kMode, kPerformanceBit) & kPerformanceBit) != 0;
  present_ = static_cast<uint32_t>(levels_.size() - 1);
}

std::vector<uint32_t> LongRunModel::AnsweredRegisters() const {
  return {kBounds, kMode,           kLevelSelect, kPerformanceIndex,
          kClock,  kMemoryDivisors, kPciDivisor,  kGateDelay};
}

void LongRunModel::FollowLoad(BusyShare busy) {
  ChangeState([&] { busy_ = std::move(busy); });
}

void LongRunModel::SetAtmLevel(uint32_t level) {
  ChangeState([&] { atmLevel_ = level; });
}

MsrAccess LongRunModel::ReadLocked(uint32_t index, uint64_t& value) {
  const LongRunLevel& level = levels_[selected_];
  switch (index) {
    case kBounds:
      value = Halves(lower_, upper_);
      return MsrAccess::kDone;
    case kMode:
      value = performance_ ? kPerformanceBit : 0;
      return MsrAccess::kDone;
    case kLevelSelect:
      value = Halves(selected_, static_cast<uint32_t>(levels_.size() - 1));
      return MsrAccess::kDone;
    case kPerformanceIndex:
      value = level.performanceIndex;
      return MsrAccess::kDone;
    case kClock:
      value = Halves(level.mhz, level.millivolts);
      return MsrAccess::kDone;
    case kMemoryDivisors:
      value = Halves(level.sdrDivisor, level.ddrDivisor);
      return MsrAccess::kDone;
    case kPciDivisor:
      value = level.pciDivisor;
      return MsrAccess::kDone;
    case kGateDelay:
      value = level.gateDelayFs;
      return MsrAccess::kDone;
    default:
      return MsrAccess::kNotHandled;
  }
}

std::optional<std::string> LongRunModel::BoundsRefusal(uint64_t value) const {
  if (High(value) > kPercentMax) return "LongRun upper bound above 100 %";
  if (Low(value) > High(value)) return "LongRun lower bound above the upper bound";
  return std::nullopt;
}

MsrAccess LongRunModel::WriteLocked(MsrContext& context, uint32_t index, uint64_t value) {
  switch (index) {
    case kBounds:
      if (const auto refusal = BoundsRefusal(value)) {
        Refuse(context, index, value, *refusal);
      } else {
        lower_ = Low(value);
        upper_ = High(value);
      }
      return MsrAccess::kDone;
    case kMode:
      if ((value & ~uint64_t{kPerformanceBit}) != 0) {
        Refuse(context, index, value, "LongRun mode write sets reserved bits");
      } else {
        performance_ = value != 0;
      }
      return MsrAccess::kDone;
    case kLevelSelect:
      if (Low(value) >= levels_.size()) {
        Refuse(context, index, value, "LongRun table level the part does not have");
      } else {
        selected_ = Low(value);
      }
      return MsrAccess::kDone;
    case kPerformanceIndex:
    case kClock:
    case kMemoryDivisors:
    case kPciDivisor:
    case kGateDelay:
      return MsrAccess::kFault;  // the table is read-only
    default:
      return MsrAccess::kNotHandled;
  }
}

void LongRunModel::Settle(uint64_t nowNs) {
  LevelSpan span = LevelsWithin(levels_, lower_, upper_);
  if (atmLevel_ != 0) {
    const double cap = levels_.back().mhz * (1.0 - kAtmStep * atmLevel_);
    span.high = std::min(span.high, HighestLevelAtMost(levels_, cap));
    span.low = std::min(span.low, span.high);
  }
  // Without a load model the part is taken as fully busy.
  present_ = LevelForLoad(span, busy_ ? busy_(nowNs) : 1.0, performance_);
}

ModelState LongRunModel::StateLocked() const {
  ModelState state;
  state.family = ModelFamily::kTransmeta;
  state.current = {levels_[present_].mhz, levels_[present_].millivolts};
  return state;
}

std::optional<platform::CpuidResult> LongRunModel::LeafLocked(uint32_t leaf) {
  if (leaf != kPresentLeaf) return std::nullopt;
  const LongRunLevel& level = levels_[present_];
  return platform::CpuidResult{level.mhz, level.millivolts, level.performanceIndex, 0};
}

LongRunAtmRegister::LongRunAtmRegister(uint32_t start, Listener listener)
    : value_(start & 0x1F), listener_(std::move(listener)) {}

uint32_t LongRunAtmRegister::Read() {
  std::lock_guard lock(mutex_);
  return value_;
}

void LongRunAtmRegister::Write(uint32_t value, uint32_t byteMask) {
  constexpr uint32_t kWritable = 0x1E;  // bit 4 and the field 3:1; bit 0 is the part's
  uint32_t level = 0;
  {
    std::lock_guard lock(mutex_);
    const uint32_t mask = kWritable & byteMask;
    value_ = (value_ & ~mask) | (value & mask);
    level = LevelOf(value_);
  }
  if (listener_) listener_(level);
}

uint32_t LongRunAtmRegister::LevelOf(uint32_t value) {
  const uint32_t field = value >> 1 & 7;
  if ((value & 0x10) == 0 || field < 2) return 0;
  return 8 - field;
}

void AttachLongRunAtm(const MachineSpec& machine, DriverHardware& hardware,
                      std::span<const std::shared_ptr<FamilyModel>> models) {
  std::vector<std::shared_ptr<LongRunModel>> longRun;
  for (const auto& model : models) {
    if (auto found = std::dynamic_pointer_cast<LongRunModel>(model)) longRun.push_back(found);
  }
  if (longRun.empty()) return;
  // The northbridge's own start value (0 when the description gives none) with the ATM
  // present bit the LongRun northbridge always sets.
  constexpr uint32_t kTransmetaVendorId = 0x1279;
  uint32_t start = 1;
  bool northbridge = false;
  for (const PciDeviceSpec& device : machine.pciDevices) {
    if (device.bus != 0 || device.devfn != 0 || device.config.size() < 0xAC) continue;
    if ((device.config[0] | device.config[1] << 8) != kTransmetaVendorId) continue;
    northbridge = true;
    const auto* bytes = &device.config[LongRunAtmRegister::kOffset];
    start |= bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  }
  if (!northbridge) return;
  auto atm = std::make_shared<LongRunAtmRegister>(start, [longRun](uint32_t level) {
    for (const auto& model : longRun) model->SetAtmLevel(level);
  });
  const uint32_t level = LongRunAtmRegister::LevelOf(atm->Read());
  for (const auto& model : longRun) model->SetAtmLevel(level);
  hardware.Pci().AttachRegister(0, 0, LongRunAtmRegister::kOffset, std::move(atm));
}

}  // namespace pacetta::sim
