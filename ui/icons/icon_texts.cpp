#include "ui/icons/icon_texts.h"

#include <charconv>
#include <cmath>

namespace pacetta::icons {
namespace {

std::string Integer(long long value) {
  return std::to_string(value);
}

// "%.2f" in the C locale.
std::string TwoDecimals(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

// A reading that is negative, NaN or infinite is not available.
bool Available(double value) {
  return std::isfinite(value) && value >= 0;
}

}  // namespace

FrequencyLines FrequencyIconLines(double clockMhz, double throttle, int32_t freqIconMode,
                                  int32_t freqIconUnits) {
  double value = clockMhz;
  if (freqIconMode == 1 && Available(throttle)) value *= throttle;
  if (!Available(value)) return {"N/A", ""};
  const long long whole = std::llround(value);
  if (freqIconUnits == 0 && whole < 1000) return {Integer(whole), "MHz"};
  return {TwoDecimals(value / 1000), "GHz"};
}

std::optional<long long> ShownTemperature(double celsius, int32_t tempUnits) {
  if (!Available(celsius)) return std::nullopt;
  return std::llround(tempUnits == 1 ? celsius * 1.8 + 32 : celsius);
}

std::string TemperatureIconText(double celsius, int32_t tempUnits) {
  const std::optional<long long> shown = ShownTemperature(celsius, tempUnits);
  return (shown ? Integer(*shown) : std::string("T")) + "\u00B0";
}

std::string BatteryIconText(const BatteryIconState& state) {
  if (state.mode == 1) {
    if (state.percent < 0) return "N/A";
    return Integer(state.percent) + (state.percent < 100 ? "%" : "");
  }
  if (state.remainingSeconds < 0) return "N/A";
  const int hours = state.remainingSeconds / 3600;
  if (hours >= 10) return Integer(hours) + "h";
  const int minutes = state.remainingSeconds % 3600 / 60;
  return Integer(hours) + (minutes < 10 ? ":0" : ":") + Integer(minutes);
}

}  // namespace pacetta::icons
