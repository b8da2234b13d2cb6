#include "cpu/advanced/k7/clock_control.h"

#include "hw/pinning.h"

namespace pacetta::k7 {
namespace {

// One field of the register: `width` bits from `shift` on.
struct Field {
  unsigned shift;
  unsigned width;

  uint32_t Mask() const { return ((1u << width) - 1u) << shift; }
  uint32_t Get(uint32_t low) const { return (low & Mask()) >> shift; }
  uint32_t Put(uint32_t low, uint32_t value) const {
    return (low & ~Mask()) | ((value << shift) & Mask());
  }
};

constexpr std::array<Field, kRampDelayCount> kRampDelays{
    {{0, 2}, {4, 2}, {8, 2}, {12, 2}, {16, 2}}};
// A divisor's value bits 1:0 lie in `low`, its bit 2 alone in `high`.
constexpr Field kHaltLow{2, 2}, kHaltHigh{6, 1};
constexpr Field kStopGrantLow{14, 2}, kStopGrantHigh{18, 1};
constexpr Field kApicDisconnect{19, 1};
constexpr Field kFullRamp{20, 12};

uint32_t GetDivisor(uint32_t low, Field bits10, Field bit2) {
  return bits10.Get(low) | bit2.Get(low) << 2;
}

uint32_t PutDivisor(uint32_t low, Field bits10, Field bit2, uint32_t value) {
  if (value > kDivisorMax) return low;
  return bit2.Put(bits10.Put(low, value & 3u), value >> 2);
}

}  // namespace

ClockControl DecodeClockControl(uint32_t low) {
  ClockControl fields;
  for (size_t n = 0; n < kRampDelayCount; ++n) fields.rampDelays[n] = kRampDelays[n].Get(low);
  fields.haltDivisor = GetDivisor(low, kHaltLow, kHaltHigh);
  fields.stopGrantDivisor = GetDivisor(low, kStopGrantLow, kStopGrantHigh);
  fields.apicDisconnect = kApicDisconnect.Get(low) != 0;
  fields.fullRamp = kFullRamp.Get(low);
  return fields;
}

uint32_t EncodeClockControl(uint32_t low, const ClockControl& fields) {
  for (size_t n = 0; n < kRampDelayCount; ++n) {
    if (fields.rampDelays[n] <= kRampDelayMax) low = kRampDelays[n].Put(low, fields.rampDelays[n]);
  }
  low = PutDivisor(low, kHaltLow, kHaltHigh, fields.haltDivisor);
  low = PutDivisor(low, kStopGrantLow, kStopGrantHigh, fields.stopGrantDivisor);
  low = kApicDisconnect.Put(low, fields.apicDisconnect ? 1u : 0u);
  if (fields.fullRamp >= kFullRampMin && fields.fullRamp <= kFullRampMax) {
    low = kFullRamp.Put(low, fields.fullRamp);
  }
  return low;
}

std::optional<ClockControl> ReadClockControl(CPortexDriver& driver,
                                             platform::Processors& processors, uint32_t processor) {
  PinToProcessor(processors, processor);
  MsrRequest request;
  const bool read = driver.ReadMsrValue(request, kClockControlMsr) && !request.IsAllOnes();
  UnpinThread(processors);
  if (!read) return std::nullopt;
  return DecodeClockControl(request.low);
}

size_t WriteClockControl(CPortexDriver& driver, platform::Processors& processors,
                         std::span<const CpuInfo> cpus, const ClockControl& fields) {
  size_t written = 0;
  for (const CpuInfo& cpu : cpus) {
    PinToProcessor(processors, cpu.index);
    MsrRequest request;
    // Without the register's present value the other bits cannot be kept.
    if (!driver.ReadMsrValue(request, kClockControlMsr) || request.IsAllOnes()) continue;
    const uint32_t low = EncodeClockControl(request.low, fields);
    MsrRequest write;
    if (driver.WriteMsrValue(write, kClockControlMsr, low, request.high)) ++written;
  }
  UnpinThread(processors);
  return written;
}

}  // namespace pacetta::k7
