#include "platform/sim/models/longrun_levels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pacetta::sim {
namespace {

constexpr uint32_t DivisorFor(uint32_t mhz, uint32_t busMhz) {
  return (mhz + busMhz - 1) / busMhz;
}

constexpr LongRunLevel Level(uint32_t mhz, uint32_t millivolts) {
  constexpr uint32_t kLowMhz = 300, kHighMhz = 867;
  return {(mhz - kLowMhz) * 100 / (kHighMhz - kLowMhz),
          mhz,
          millivolts,
          DivisorFor(mhz, 133),
          DivisorFor(mhz, 166),
          DivisorFor(mhz, 33),
          0};
}

constexpr std::array kTm5800{Level(300, 800),  Level(400, 875),  Level(533, 950),
                             Level(600, 1025), Level(667, 1100), Level(733, 1175),
                             Level(800, 1250), Level(867, 1300)};

}  // namespace

std::span<const LongRunLevel> Tm5800Levels() {
  return kTm5800;
}

LevelSpan LevelsWithin(std::span<const LongRunLevel> levels, uint32_t lowerPercent,
                       uint32_t upperPercent) {
  const auto top = static_cast<uint32_t>(levels.size() - 1);
  LevelSpan span{top, 0};
  for (uint32_t n = 0; n <= top; ++n) {
    if (levels[n].performanceIndex >= lowerPercent) {
      span.low = n;
      break;
    }
  }
  for (uint32_t n = 0; n <= top; ++n) {
    if (levels[n].performanceIndex <= upperPercent) span.high = n;
  }
  span.high = std::max(span.high, span.low);
  return span;
}

uint32_t HighestLevelAtMost(std::span<const LongRunLevel> levels, double capMhz) {
  uint32_t highest = 0;
  for (uint32_t n = 0; n < levels.size(); ++n) {
    if (levels[n].mhz <= capMhz) highest = n;
  }
  return highest;
}

uint32_t LevelForLoad(LevelSpan span, double busy, bool performance) {
  const double share = std::clamp(busy, 0.0, 1.0);
  const double lean = performance ? std::sqrt(share) : share * share;
  return span.low + static_cast<uint32_t>(std::lround(lean * (span.high - span.low)));
}

}  // namespace pacetta::sim
