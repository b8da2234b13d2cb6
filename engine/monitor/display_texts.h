#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/monitor/cpu_sample.h"

namespace pacetta {

// Numbers of the texts the sampler shows (the string table of the program holds them).
inline constexpr uint32_t kTextAcPower = 10030;
inline constexpr uint32_t kTextBattery = 10031;
inline constexpr uint32_t kTextCurrentThrottleLevel = 10034;  // "... %s"
inline constexpr uint32_t kTextOverheatDetected = 10082;
inline constexpr uint32_t kTextNotAvailable = 10144;

// The text numbered `id` in the language in use; empty when there is none.
using TextLookup = std::function<std::string(uint32_t id)>;

// Where the machine draws its power from: 0 AC, 1 battery, -1 not known yet.
enum class PowerSource : int32_t { kUnknown = -1, kAc = 0, kBattery = 1 };

// What the tray tooltips and icons show of the display processor.
struct DisplayTexts {
  std::string clock;        // "%.2lf MHz" of the clock the core runs at
  std::string multiplier;   // "%.1fx"
  std::string voltage;      // "%.4fV"
  std::string temperature;  // "%.1f°C" or "%.1f°F" of the mean temperature
  std::string powerSource;  // "AC power" or "Battery"
};

// The display processor's values and the means as texts; "N/A" (10144) where a value
// is not available. The clock shown is the clock times the throttle (the rate the core
// really works at); without a throttle reading it is the measured clock itself.
// `tempUnits` 1 shows Fahrenheit.
DisplayTexts FormatDisplayTexts(const CpuSample& display, const SampleMeans& means,
                                int32_t tempUnits, PowerSource source, const TextLookup& texts);

// A warning balloon of the tray.
struct Balloon {
  std::string title;
  std::string text;
  uint32_t timeoutMs = 10000;
};

// The overheat warning for a processor that reports thermal throttling: title 10082,
// text 10034 with the throttle as "%.2lf%%" (or "N/A").
Balloon OverheatBalloon(const CpuSample& display, const TextLookup& texts);

// `pattern` with its first "%s" replaced by `value`. Translated texts are data, never
// a format string: nothing else in them is interpreted.
std::string SubstituteText(const std::string& pattern, const std::string& value);

}  // namespace pacetta
