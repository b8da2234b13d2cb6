#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "addins/event_records.h"

namespace pacetta {

// What the event and action editors write into the records' text fields and calendar
// moments.

// `text` cut to `room` bytes without splitting a UTF-8 character: the records keep
// names of 31 bytes and parameters of 259.
std::string FittedText(std::string_view text, size_t room);

// A chosen program as a command line: quoted when its path holds a blank, so that the
// path is not split into parameters.
std::string CommandLineOf(std::string_view path);

// A local date and time as the calendar events keep it, with its day of the week.
addins::CalendarTime CalendarTimeOf(int year, int month, int day, int hour, int minute, int second);

}  // namespace pacetta
