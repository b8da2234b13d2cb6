#pragma once
#include <cstdint>
#include <optional>

#include "platform/local_time.h"

namespace pacetta::platform {

// Calendar arithmetic of the proleptic Gregorian calendar, for clocks whose zone is UTC
// (the simulated PC's) and for the day of the week of a date.

// Days from 1970-01-01 to the date.
inline int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

// 0 = Sunday ... 6 = Saturday.
inline unsigned DayOfWeek(int64_t year, unsigned month, unsigned day) {
  const int64_t days = DaysFromCivil(year, month, day);
  return static_cast<unsigned>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

// The reading as UTC seconds; nullopt when it is no valid time of day or date.
inline std::optional<int64_t> UtcSecondsOf(const LocalTime& reading) {
  static constexpr unsigned kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (reading.month < 1 || reading.month > 12 || reading.day < 1 ||
      reading.day > kMonthDays[reading.month - 1] || reading.hour > 23 || reading.minute > 59 ||
      reading.second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(reading.year, reading.month, reading.day) * 86400 + reading.hour * 3600 +
         reading.minute * 60 + reading.second;
}

// The UTC reading of `seconds` (whole seconds; the milliseconds are 0).
inline LocalTime UtcReadingOf(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const int64_t inDay = seconds - days * 86400;
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shifted = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
  const int64_t year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
  LocalTime reading;
  reading.year = static_cast<uint16_t>(year);
  reading.month = static_cast<uint16_t>(month);
  reading.day = static_cast<uint16_t>(day);
  reading.hour = static_cast<uint16_t>(inDay / 3600);
  reading.minute = static_cast<uint16_t>(inDay / 60 % 60);
  reading.second = static_cast<uint16_t>(inDay % 60);
  return reading;
}

}  // namespace pacetta::platform
