#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "ui/icons/tray_icons.h"

namespace pacetta::icons {

// The texts the drawn icons show. Numbers are formatted without the C library's locale:
// the desktop runs under the user's locale, whose decimal comma the icon fonts lack.

struct FrequencyLines {
  std::string value;  // "999", "2.40", or "N/A" when the clock is not available
  std::string unit;   // "MHz", "GHz", or empty with "N/A"
};
FrequencyLines FrequencyIconLines(double clockMhz, double throttle, int32_t freqIconMode,
                                  int32_t freqIconUnits);

// The whole number of degrees the temperature icon shows, in Fahrenheit with `tempUnits`
// 1; none when `celsius` is not available (negative).
std::optional<long long> ShownTemperature(double celsius, int32_t tempUnits);

// "45°" (UTF-8), converted to Fahrenheit with `tempUnits` 1; "T°" when `celsius` is not
// available (negative).
std::string TemperatureIconText(double celsius, int32_t tempUnits);

// "1:25", "9h", "85%", "100", or "N/A" when the value the mode shows is unknown.
std::string BatteryIconText(const BatteryIconState& state);

}  // namespace pacetta::icons
