#pragma once
#include <cstdint>
#include <span>

namespace pacetta::management {

// "CpuLoadMethod": how the deciding processor combines the stored management loads.
inline constexpr int32_t kMaxOfCoreLoads = 0;
inline constexpr int32_t kAverageOfCoreLoads = 1;
inline constexpr int32_t kSumOfCoreLoads = 2;
inline constexpr int32_t kMaxOfAllLoads = 3;
inline constexpr int32_t kAverageOfAllLoads = 4;
inline constexpr int32_t kSumOfAllLoads = 5;

// The load processor `k` decides on, capped at 100. `sibling` is the other logical
// processor of k's core, or -1. The core methods use k's own load alone when there is no
// sibling; an unknown method counts as the maximum of the core loads.
int32_t CombinedLoad(int32_t method, std::span<const int32_t> loads, unsigned k, int32_t sibling);

}  // namespace pacetta::management
