#include "engine/management/load_source.h"

#include <algorithm>
#include <cmath>

namespace pacetta::management {

uint32_t LoadDepth(int32_t loadAverageMs, int32_t controlIntervalMs) {
  const double entries =
      std::round(static_cast<double>(loadAverageMs) / std::max(controlIntervalMs, 1));
  return static_cast<uint32_t>(std::clamp(entries, 1.0, 63.0));
}

}  // namespace pacetta::management
