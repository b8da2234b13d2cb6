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

int64_t LinuxLocalClock::EpochSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

std::optional<int64_t> LinuxLocalClock::EpochSecondsOf(const platform::LocalTime& local) {
  if (local.month < 1 || local.month > 12 || local.day < 1 || local.day > 31 || local.hour > 23 ||
      local.minute > 59 || local.second > 59) {
    return std::nullopt;
  }
  tm reading{};
  reading.tm_year = local.year - 1900;
  reading.tm_mon = local.month - 1;
  reading.tm_mday = local.day;
  reading.tm_hour = local.hour;
  reading.tm_min = local.minute;
  reading.tm_sec = local.second;
  reading.tm_isdst = -1;  // the zone's rules decide
  const time_t moment = mktime(&reading);
  if (moment == static_cast<time_t>(-1) && reading.tm_year != 69) return std::nullopt;
  return static_cast<int64_t>(moment);
}

}  // namespace pacetta::linux_os
