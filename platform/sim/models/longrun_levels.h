#pragma once
#include <cstdint>
#include <span>

namespace pacetta::sim {

// One LongRun level as the LongRun Table Interface reports it.
struct LongRunLevel {
  uint32_t performanceIndex = 0;  // percent of the way from the lowest to the highest clock
  uint32_t mhz = 0;
  uint32_t millivolts = 0;
  uint32_t sdrDivisor = 0;   // core clock / SDR memory clock
  uint32_t ddrDivisor = 0;   // core clock / DDR memory clock
  uint32_t pciDivisor = 0;   // core clock / PCI clock
  uint32_t gateDelayFs = 0;  // 0: the part does not report it
};

// The levels of a TM5800 at 867 MHz, lowest first. Transmeta's product data gives the
// range (300 MHz at 0.80 V to 867 MHz at 1.30 V); the steps between, their voltages and
// the divisors (memory clocks at most 133 MHz SDR and 166 MHz DDR, PCI at 33 MHz) are
// this model's assumption. The part reports no gate delay.
std::span<const LongRunLevel> Tm5800Levels();

// The levels LongRun may use within the bounds of MSR 80868010h (percent, lower <=
// upper): from the lowest level whose performance index reaches `lowerPercent` to the
// highest whose index stays within `upperPercent`; a window that holds no level keeps
// the level nearest above its lower bound.
struct LevelSpan {
  uint32_t low = 0;
  uint32_t high = 0;
  bool operator==(const LevelSpan&) const = default;
};
LevelSpan LevelsWithin(std::span<const LongRunLevel> levels, uint32_t lowerPercent,
                       uint32_t upperPercent);

// The highest level at or below `capMhz`; level 0 when none is.
uint32_t HighestLevelAtMost(std::span<const LongRunLevel> levels, double capMhz);

// The level LongRun picks for a busy share (0..1) within `span`: performance mode leans
// up (the square root of the load), economy leans down (its square).
uint32_t LevelForLoad(LevelSpan span, double busy, bool performance);

}  // namespace pacetta::sim
