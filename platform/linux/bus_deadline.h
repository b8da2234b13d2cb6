#pragma once
#include <cstdint>

namespace pacetta::linux_os {

// A poll timeout in milliseconds until a bus deadline (CLOCK_MONOTONIC microseconds, as
// sd-bus gives it): -1 for none, 0 when it has passed, rounded up otherwise.
int MillisecondsUntil(uint64_t deadlineUs);

}  // namespace pacetta::linux_os
