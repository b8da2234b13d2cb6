#include "engine/management/combined_load.h"

#include <algorithm>
#include <numeric>

namespace pacetta::management {

int32_t CombinedLoad(int32_t method, std::span<const int32_t> loads, unsigned k, int32_t sibling) {
  if (k >= loads.size()) return 0;
  const int32_t own = loads[k];
  const bool paired = sibling >= 0 && static_cast<size_t>(sibling) < loads.size();
  const int32_t other = paired ? loads[static_cast<size_t>(sibling)] : own;
  int64_t load = own;
  switch (method) {
    case kAverageOfCoreLoads:
      load = paired ? (int64_t{own} + other) / 2 : own;
      break;
    case kSumOfCoreLoads:
      load = paired ? int64_t{own} + other : own;
      break;
    case kMaxOfAllLoads:
      load = *std::max_element(loads.begin(), loads.end());
      break;
    case kAverageOfAllLoads: {
      const int64_t sum = std::accumulate(loads.begin(), loads.end(), int64_t{0});
      const auto n = static_cast<int64_t>(loads.size());
      load = (sum + n / 2) / n;  // to nearest
      break;
    }
    case kSumOfAllLoads:
      load = std::accumulate(loads.begin(), loads.end(), int64_t{0});
      break;
    default:  // kMaxOfCoreLoads
      load = std::max(own, other);
      break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(load, 0, 100));
}

}  // namespace pacetta::management
