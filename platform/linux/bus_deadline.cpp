#include "platform/linux/bus_deadline.h"

#include <time.h>

#include <climits>

namespace pacetta::linux_os {

int MillisecondsUntil(uint64_t deadlineUs) {
  if (deadlineUs == UINT64_MAX) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t nowUs =
      static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
  if (deadlineUs <= nowUs) return 0;
  const uint64_t ms = (deadlineUs - nowUs + 999) / 1000;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace pacetta::linux_os
