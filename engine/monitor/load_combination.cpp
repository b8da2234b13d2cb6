#include "engine/monitor/load_combination.h"

#include <algorithm>

namespace pacetta {

int32_t CombineLoads(int32_t method, int32_t own, std::optional<int32_t> sibling,
                     std::span<const int32_t> all) {
  int64_t combined = own;
  switch (static_cast<CpuLoadMethod>(method)) {
    case CpuLoadMethod::kMaxOfCore:
      combined = std::max(own, sibling.value_or(own));
      break;
    case CpuLoadMethod::kAverageOfCore:
      // Rounded down; a processor without a sibling is its own core.
      combined = sibling ? (int64_t{own} + *sibling) / 2 : own;
      break;
    case CpuLoadMethod::kSumOfCore:
      combined = int64_t{own} + sibling.value_or(0);
      break;
    case CpuLoadMethod::kMaxOfAll:
      for (int32_t load : all) combined = std::max<int64_t>(combined, load);
      break;
    case CpuLoadMethod::kAverageOfAll: {
      if (all.empty()) break;
      int64_t sum = 0;
      for (int32_t load : all) sum += load;
      const auto count = static_cast<int64_t>(all.size());
      // Rounded to the nearest; loads are never negative.
      combined = (sum + count / 2) / count;
      break;
    }
    case CpuLoadMethod::kSumOfAll:
      combined = 0;
      for (int32_t load : all) combined += load;
      break;
  }
  return static_cast<int32_t>(std::min<int64_t>(combined, 100));
}

}  // namespace pacetta
