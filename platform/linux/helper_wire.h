#pragma once
#include <cstdint>

// The frames between the program and the Portex64 helper. A request is the device
// request of the I/O driver (same codes, same buffer layouts) plus the processor the
// calling thread runs on; the answer is the request's success, the bytes it returned
// and, for a physical-memory map, a memory file descriptor that carries the range.
// Both ends run on the same machine: words travel in host byte order.
namespace pacetta::linux_os::helper_wire {

inline constexpr uint32_t kMagic = 0x34365850u;  // "PX64"

struct RequestHeader {
  uint32_t magic = kMagic;
  uint32_t code = 0;
  uint32_t inSize = 0;
  uint32_t outSize = 0;
  uint32_t processor = 0;
};
static_assert(sizeof(RequestHeader) == 20);

struct ResponseHeader {
  uint32_t ok = 0;
  uint32_t returned = 0;  // bytes of output that follow
};
static_assert(sizeof(ResponseHeader) == 8);

// No request of the driver carries more than 28 bytes either way; anything larger is
// not a frame of this protocol.
inline constexpr uint32_t kMaxPayload = 64;

// The helper's own request, outside the driver's code range: end the helper. Honoured
// from root or from the process that started the helper.
inline constexpr uint32_t kStopRequest = 0x8000FF00u;

}  // namespace pacetta::linux_os::helper_wire
