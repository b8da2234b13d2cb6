#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/processors.h"

namespace pacetta::k7 {

// The K7's clock-control register CLK_CTL: how far the core clock ramps down while the
// bus is disconnected in halt and stop grant, and how fast it ramps back. Only its low
// half is the program's.
inline constexpr uint32_t kClockControlMsr = 0xC001001B;

inline constexpr size_t kRampDelayCount = 5;
inline constexpr uint32_t kRampDelayMax = 3;  // 2, 4, 8 or 16
inline constexpr uint32_t kDivisorMax = 6;    // divide by 8 x 2^value: 8 .. 512
inline constexpr uint32_t kFullRampMin = 128;
inline constexpr uint32_t kFullRampMax = 4095;

// The fields of the register's low half the page shows and writes.
struct ClockControl {
  // Ramp delay n (bits 1:0, 5:4, 9:8, 13:12, 17:16 for n = 0..4): 2 << value clocks.
  std::array<uint32_t, kRampDelayCount> rampDelays{};
  // The halt and stop-grant bus-disconnect divisors, 0..6; a register holding the
  // encoding 7 reads as 7, which no list offers.
  uint32_t haltDivisor = 0;
  uint32_t stopGrantDivisor = 0;
  bool apicDisconnect = false;  // bit 19: stop grant also disconnects the APIC bus
  uint32_t fullRamp = 0x200;    // bits 31:20

  bool operator==(const ClockControl&) const = default;
};

// The ramp delay's shown value: 2, 4, 8 or 16.
constexpr uint32_t RampDelayClocks(uint32_t value) {
  return 2u << value;
}
// The divisor's shown value: 8, 16, ... 512.
constexpr uint32_t DivisorOf(uint32_t value) {
  return 8u << value;
}

ClockControl DecodeClockControl(uint32_t low);
// `low` with the named bits replaced by `fields`; a field outside its range leaves its
// bits as they are, and every other bit of `low` is kept.
uint32_t EncodeClockControl(uint32_t low, const ClockControl& fields);

// Processor `processor`'s register, read pinned to it; none when the read fails. The
// thread is unpinned afterwards.
std::optional<ClockControl> ReadClockControl(CPortexDriver& driver,
                                             platform::Processors& processors, uint32_t processor);
// Writes `fields` to every processor of `cpus`, each pinned to its processor as a
// read-modify-write of the named bits; a processor whose register cannot be read is left
// alone. The thread ends unpinned. The number of processors written.
size_t WriteClockControl(CPortexDriver& driver, platform::Processors& processors,
                         std::span<const CpuInfo> cpus, const ClockControl& fields);

}  // namespace pacetta::k7
