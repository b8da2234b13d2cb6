#pragma once
#include <cstdint>

namespace pacetta {

// The unit of every register request: index, then the EDX and EAX halves. A failed read
// leaves all bits set in both halves, which callers treat as "no value".
struct MsrRequest {
  uint32_t index = 0;
  uint32_t high = 0xFFFFFFFFu;
  uint32_t low = 0xFFFFFFFFu;

  uint64_t Value() const { return (uint64_t{high} << 32) | low; }
  bool IsAllOnes() const { return high == 0xFFFFFFFFu && low == 0xFFFFFFFFu; }
};
static_assert(sizeof(MsrRequest) == 12);

}  // namespace pacetta
