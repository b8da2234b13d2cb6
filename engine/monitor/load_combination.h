#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace pacetta {

// How the deciding thread combines management loads ("CpuLoadMethod"). The sibling is
// the other logical processor of the same core.
enum class CpuLoadMethod : int32_t {
  kMaxOfCore = 0,  // the larger of own and sibling's load
  kAverageOfCore = 1,
  kSumOfCore = 2,
  kMaxOfAll = 3,
  kAverageOfAll = 4,
  kSumOfAll = 5,
};

// The combined load of the processor whose load is `own`, capped at 100. `all` holds
// every processor's load (own included). A method outside 0..5 takes the own load.
int32_t CombineLoads(int32_t method, int32_t own, std::optional<int32_t> sibling,
                     std::span<const int32_t> all);

}  // namespace pacetta
