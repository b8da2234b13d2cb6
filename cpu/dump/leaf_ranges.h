#pragma once
#include <cstdint>

namespace pacetta {

inline constexpr uint32_t kTransmetaLeafBase = 0x80860000u;

// A range of identification leaves the dump lists, both ends included.
struct LeafRange {
  uint32_t first = 0;
  uint32_t last = 0;
};

// The highest leaf a processor reports in a range is listed in full, also beyond what
// identification stores. No processor comes near 0xFF leaves in any range (the most today
// is a few dozen); a larger maximum is a virtual machine's or a broken part's answer
// (often 0xFFFFFFFF), which would list four billion standard leaves or tens of thousands
// of the others per processor, so such a range is cut to the leaves the program reads.
inline constexpr uint32_t kPlausibleLeafOffset = 0xFF;

// Leaves 0 to `leaf0Eax`.
LeafRange StandardDumpRange(uint32_t leaf0Eax);
// Leaves `base` to `base` + (firstEax & 0xFFFF), for the extended (0x80000000) and the
// Transmeta (0x80860000) range given the EAX of the range's first leaf.
LeafRange VendorDumpRange(uint32_t base, uint32_t firstEax);

}  // namespace pacetta
