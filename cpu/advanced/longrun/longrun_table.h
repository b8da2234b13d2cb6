#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "cpu/pstate/pstate_limits.h"
#include "hw/portex_driver.h"
#include "platform/processors.h"

namespace pacetta::longrun {

// The LongRun Table Interface: writing low = n to 80868018h selects level n (reading it
// gives the highest level number in high); 80868019h..8086801Dh then describe it.
inline constexpr uint32_t kLevelSelectMsr = 0x80868018;
inline constexpr uint32_t kPerformanceIndexMsr = 0x80868019;
inline constexpr uint32_t kClockMsr = 0x8086801A;           // low MHz, high mV
inline constexpr uint32_t kMemoryDivisorsMsr = 0x8086801B;  // low SDR, high DDR
inline constexpr uint32_t kPciDivisorMsr = 0x8086801C;
inline constexpr uint32_t kGateDelayMsr = 0x8086801D;  // femtoseconds, 0 = unknown

// The parts have a dozen levels or so; a highest level number beyond this is a damaged
// or hostile answer, and reading that many would take practically for ever.
inline constexpr uint32_t kLevelLimit = 64;

struct Level {
  uint32_t level = 0;
  uint32_t performanceIndex = 0;
  uint32_t mhz = 0;
  uint32_t millivolts = 0;
  uint32_t sdrDivisor = 0;
  uint32_t ddrDivisor = 0;
  uint32_t pciDivisor = 0;
  uint32_t gateDelayFs = 0;

  bool operator==(const Level&) const = default;
};

// The highest level number of the processor the calling thread runs on; none when the
// register cannot be read or names more than kLevelLimit levels.
std::optional<uint32_t> ReadHighestLevel(CPortexDriver& driver);
// Level `n` of the calling thread's processor, selected and read; none on a failed access.
std::optional<Level> ReadLevel(CPortexDriver& driver, uint32_t n);

// Processor `processor`'s levels, highest first, read pinned to it (the thread is
// unpinned afterwards); empty when the interface does not answer. A read that fails part
// way ends the list there.
std::vector<Level> ReadTable(CPortexDriver& driver, platform::Processors& processors,
                             uint32_t processor);

// The LongRun range for the performance-state limits: the top level's MHz and mV as the
// highest FID and VID, level 0's as the lowest, asked of the calling thread's processor.
LongRunRangeSource RangeSource(CPortexDriver& driver);

}  // namespace pacetta::longrun
