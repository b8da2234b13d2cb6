#pragma once
#include <cstdint>

namespace pacetta::platform {

// A wall-clock reading in the user's time zone.
struct LocalTime {
  uint16_t year = 1601;
  uint16_t month = 1;  // 1 to 12
  uint16_t day = 1;    // 1 to 31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t millisecond = 0;
};

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalTime Now() = 0;
};

}  // namespace pacetta::platform
