#include "engine/management/combined_load.h"

#include <algorithm>
#include <optional>

#include "engine/monitor/load_combination.h"

namespace pacetta::management {

// The sampler's combination is the one rule; management adds its own guards: an unknown
// method counts as the maximum of the core loads and a negative load as none.
int32_t CombinedLoad(int32_t method, std::span<const int32_t> loads, unsigned k, int32_t sibling) {
  if (k >= loads.size()) return 0;
  const bool paired = sibling >= 0 && static_cast<size_t>(sibling) < loads.size();
  const std::optional<int32_t> other =
      paired ? std::optional<int32_t>(loads[static_cast<size_t>(sibling)]) : std::nullopt;
  const bool known = method >= kMaxOfCoreLoads && method <= kSumOfAllLoads;
  return std::max(CombineLoads(known ? method : kMaxOfCoreLoads, loads[k], other, loads), 0);
}

}  // namespace pacetta::management
