#pragma once
#include <cstdint>
#include <string>

#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// What a part of today's families publishes about its clocks, in 100 MHz ratios: the
// lowest the hardware runs, the nominal (base, guaranteed) clock and the highest with
// boost; the rate of its time-stamp counter and its power per logical processor at the
// highest clock fully busy. Zen parts also list their three P-state clocks (P0 = base).
struct ModernPart {
  uint32_t lowestRatio = 0;
  uint32_t baseRatio = 0;
  uint32_t highestRatio = 0;
  double timeStampMhz = 0;
  double wattsPerThread = 0;
  uint32_t pstateRatios[3] = {};
  std::string name;
};

// The part's published values when known, otherwise its family's usual ones. Only for
// kAmdZen and kIntelHwp; a hybrid part's efficiency cores have their own.
ModernPart ModernPartFor(const ProcessorTraits& traits);

bool IsModernFamily(ModelFamily family);

}  // namespace pacetta::sim
