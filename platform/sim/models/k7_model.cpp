#include "platform/sim/models/k7_model.h"

#include "platform/sim/models/vid_codes.h"

namespace pacetta::sim {
namespace {

// HWCR bits software may change (the FID bits 27..24 and 19 are the hardware's).
constexpr uint64_t kHwcrWritable = 0x0007FFFF;
// CLK_CTL as the BIOS leaves it: full ramp count 31..20 (200h from model 8 on, 600h on
// earlier models), stop-grant and halt disconnect divisors and ramp delays 0003_1223h.
constexpr uint64_t kClockControlLowBits = 0x00031223;
// Its fields: ramp delays 1..0, 5..4, 9..8, 13..12, 17..16; the halt divisor in 3..2 with
// its high bit in 6, the stop-grant divisor in 15..14 with 18; APIC disconnect 19; full
// ramp 31..20. Bits 7, 11..10 and the high half are reserved: the part keeps them as it
// set them, and software must write them back unchanged.
constexpr uint64_t kClockControlWritable = 0xFFFFF37F;
constexpr BitField kHaltDivisorLow{3, 2}, kHaltDivisorHigh{6, 6};
constexpr BitField kStopGrantDivisorLow{15, 14}, kStopGrantDivisorHigh{18, 18};
// Divisor encodings 0..6 divide by 8 .. 512; 7 is reserved.
constexpr uint32_t kReservedDivisor = 7;

uint32_t Divisor(uint64_t value, BitField low, BitField high) {
  return static_cast<uint32_t>(low.Get(value) | high.Get(value) << 2);
}

uint64_t HwcrWithFid(uint32_t fid) {
  uint64_t value = K7Model::kHwcrFidLow.Put(0, fid & 0xF);
  if (fid & 0x10) value |= K7Model::kHwcrFidHigh;
  return value;
}

}  // namespace

K7Model::K7Model(const ProcessorTraits& traits, const PowerOnData& data,
                 const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock)
    : FamilyModel(std::move(clock)),
      fidVidControl_(traits.fidVidControl),
      mobileVids_(traits.mobile) {
  current_ = start_ = max_ = data.high;
  if (const auto status = msrStart.find(kStatus); status != msrStart.end()) {
    const uint64_t value = status->second;
    current_ = {kCurrentFid.Get(value), kCurrentVid.Get(value)};
    start_ = {kStartFid.Get(value), kStartVid.Get(value)};
    max_ = {kMaxFid.Get(value), kMaxVid.Get(value)};
  }
  control_ = StartValue(msrStart, kControl, kFid.Put(0, current_.fid) | kVid.Put(0, current_.vid));
  registers_.Define(kHwcr, StartValue(msrStart, kHwcr, HwcrWithFid(start_.fid)), kHwcrWritable);
  const uint64_t fullRamp = (traits.signature >> 4 & 0xF) >= 8 ? 0x200 : 0x600;
  registers_.Define(kClockControl,
                    StartValue(msrStart, kClockControl, fullRamp << 20 | kClockControlLowBits),
                    kClockControlWritable);
}

std::vector<uint32_t> K7Model::AnsweredRegisters() const {
  if (!fidVidControl_) return {kHwcr, kClockControl};
  return {kHwcr, kClockControl, kControl, kStatus};
}

double K7Model::Volts(uint32_t vid) const {
  return mobileVids_ ? codes::K7MobileVolts(vid) : codes::K7DesktopVolts(vid);
}

MsrAccess K7Model::ReadLocked(uint32_t index, uint64_t& value) {
  if (fidVidControl_ && index == kStatus) {
    value = kCurrentFid.Put(0, current_.fid);
    value = kStartFid.Put(value, start_.fid);
    value = kMaxFid.Put(value, max_.fid);
    value = kCurrentVid.Put(value, current_.vid);
    value = kStartVid.Put(value, start_.vid);
    value = kMaxVid.Put(value, max_.vid);
    return MsrAccess::kDone;
  }
  if (fidVidControl_ && index == kControl) {
    value = control_;
    return MsrAccess::kDone;
  }
  return registers_.Read(index, value);
}

std::optional<std::string> K7Model::Refusal(uint64_t value) const {
  // FID codes do not follow the multiplier: compare what each code runs at.
  const uint32_t fid = kFid.Get(value);
  if ((value & kFidChange) && codes::kK7Multipliers[fid] > codes::kK7Multipliers[max_.fid]) {
    return "FID " + std::to_string(fid) + " above MaxFID " + std::to_string(max_.fid);
  }
  const uint32_t vid = kVid.Get(value);
  if ((value & kVidChange) && Volts(vid) > Volts(max_.vid) + 1e-9) {
    return "VID " + std::to_string(vid) + " above the maximum voltage (MaxVID " +
           std::to_string(max_.vid) + ")";
  }
  return std::nullopt;
}

std::optional<std::string> K7Model::ClockControlRefusal(uint64_t value) const {
  const uint64_t now = registers_.Get(kClockControl).value_or(0);
  if ((value ^ now) & ~kClockControlWritable) return "CLK_CTL reserved bits changed";
  if (Divisor(value, kHaltDivisorLow, kHaltDivisorHigh) == kReservedDivisor ||
      Divisor(value, kStopGrantDivisorLow, kStopGrantDivisorHigh) == kReservedDivisor) {
    return "CLK_CTL disconnect divisor encoding 7 is reserved";
  }
  return std::nullopt;
}

MsrAccess K7Model::WriteLocked(MsrContext& context, uint32_t index, uint64_t value) {
  if (index == kClockControl) {
    if (auto refusal = ClockControlRefusal(value)) {
      Refuse(context, index, value, *refusal);
      return MsrAccess::kDone;
    }
    return registers_.Write(index, value);
  }
  if (!fidVidControl_ || (index != kControl && index != kStatus)) {
    return registers_.Write(index, value);
  }
  if (index == kStatus) return MsrAccess::kFault;  // read-only
  if (auto refusal = Refusal(value)) {
    Refuse(context, index, value, *refusal);
    return MsrAccess::kDone;
  }
  control_ = value;
  if (value & kFidChange) current_.fid = kFid.Get(value);
  if (value & kVidChange) current_.vid = kVid.Get(value);
  return MsrAccess::kDone;
}

ModelState K7Model::StateLocked() const {
  ModelState state;
  state.family = ModelFamily::kAmdK7;
  state.current = current_;
  // The chipset disconnects the bus on the halt special cycle; the core's clock then
  // ramps down to its halt divisor.
  const uint32_t halt =
      Divisor(registers_.Get(kClockControl).value_or(0), kHaltDivisorLow, kHaltDivisorHigh);
  state.haltedClockDivisor = halt == kReservedDivisor ? 1u : 8u << halt;
  return state;
}

}  // namespace pacetta::sim
