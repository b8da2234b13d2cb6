#pragma once
#include <cstdint>
#include <optional>

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
  // Whole seconds since 1970-01-01 00:00 UTC, now.
  virtual int64_t EpochSeconds() = 0;
  // The moment that a wall-clock reading in the user's zone stands for, with daylight
  // saving as the zone has it on that date; nullopt when the reading is no valid time.
  virtual std::optional<int64_t> EpochSecondsOf(const LocalTime& local) = 0;
};

}  // namespace pacetta::platform
