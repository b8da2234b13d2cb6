#include "app/desktop/pro_feature_edits.h"

#include <algorithm>

#include "platform/civil_time.h"

namespace pacetta {

std::string FittedText(std::string_view text, size_t room) {
  size_t length = std::min(text.size(), room);
  // Back over UTF-8 continuation bytes so that the cut falls between characters.
  if (length < text.size()) {
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  return std::string(text.substr(0, length));
}

std::string CommandLineOf(std::string_view path) {
  if (path.find_first_of(" \t") == std::string_view::npos) return std::string(path);
  return "\"" + std::string(path) + "\"";
}

addins::CalendarTime CalendarTimeOf(int year, int month, int day, int hour, int minute,
                                    int second) {
  addins::CalendarTime time;
  time.year = static_cast<uint16_t>(year);
  time.month = static_cast<uint16_t>(month);
  time.day = static_cast<uint16_t>(day);
  time.dayOfWeek = static_cast<uint16_t>(
      platform::DayOfWeek(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
  time.hour = static_cast<uint16_t>(hour);
  time.minute = static_cast<uint16_t>(minute);
  time.second = static_cast<uint16_t>(second);
  return time;
}

}  // namespace pacetta
