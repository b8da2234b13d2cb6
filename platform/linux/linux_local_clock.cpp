#include "platform/linux/linux_local_clock.h"

#include <time.h>

namespace pacetta::linux_os {

platform::LocalTime LinuxLocalClock::Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  platform::LocalTime time;
  time.year = static_cast<uint16_t>(local.tm_year + 1900);
  time.month = static_cast<uint16_t>(local.tm_mon + 1);
  time.day = static_cast<uint16_t>(local.tm_mday);
  time.hour = static_cast<uint16_t>(local.tm_hour);
  time.minute = static_cast<uint16_t>(local.tm_min);
  // A leap second reads as the last ordinary one.
  time.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  time.millisecond = static_cast<uint16_t>(now.tv_nsec / 1000000);
  return time;
}

}  // namespace pacetta::linux_os
