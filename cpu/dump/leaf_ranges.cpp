#include "cpu/dump/leaf_ranges.h"

#include "cpu/cpu_info.h"

namespace pacetta {
namespace {

// What the program reads of the Transmeta range: the features (0x80860001) up to the
// LongRun state (0x80860007).
constexpr uint32_t kTransmetaLeavesRead = 8;

uint32_t LeavesRead(uint32_t base) {
  return base == kTransmetaLeafBase ? kTransmetaLeavesRead : kExtendedLeafCount;
}

}  // namespace

LeafRange StandardDumpRange(uint32_t leaf0Eax) {
  if (leaf0Eax <= kPlausibleLeafOffset) return {0, leaf0Eax};
  return {0, kStandardLeafCount - 1};
}

LeafRange VendorDumpRange(uint32_t base, uint32_t firstEax) {
  const uint32_t offset = firstEax & 0xFFFFu;
  if (offset <= kPlausibleLeafOffset) return {base, base + offset};
  return {base, base + LeavesRead(base) - 1};
}

}  // namespace pacetta
