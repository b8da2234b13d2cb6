#include "app/lifecycle/status_line.h"

#include <cmath>
#include <cstdio>

namespace pacetta {

std::string FormatStatusLine(uint32_t displayProcessor, const DisplayTexts& texts,
                             const CpuSample& display, PowerSource source,
                             const std::string& profileName, const TextLookup& lookup,
                             const std::string& batteryCharge) {
  char load[32];
  if (display.cpuLoad < 0.0) {
    std::snprintf(load, sizeof load, "%s", lookup(kTextNotAvailable).c_str());
  } else {
    std::snprintf(load, sizeof load, "%.0f%%", std::round(display.cpuLoad));
  }
  char os[16];
  std::snprintf(os, sizeof os, "%.0f%%", std::round(display.osLoad));
  // Today's processors also tell the package's power; older ones keep the line they had.
  char power[32] = "";
  if (display.packageWatts >= 0.0) {
    std::snprintf(power, sizeof power, ", package %.1f W", display.packageWatts);
  }
  const bool onBattery = source == PowerSource::kBattery;
  std::string supply = lookup(onBattery ? kTextBattery : kTextAcPower);
  if (onBattery && !batteryCharge.empty()) supply += ", " + batteryCharge;
  return "CPU " + std::to_string(displayProcessor) + ": " + texts.clock + ", " + texts.multiplier +
         ", " + texts.voltage + ", load " + load + " (OS " + os + "), " + texts.temperature +
         power + " | " + supply + " | " + profileName;
}

}  // namespace pacetta
