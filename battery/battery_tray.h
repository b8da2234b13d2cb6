#pragma once
#include <string>

#include "battery/battery_options.h"
#include "battery/battery_text_source.h"
#include "platform/power.h"

namespace pacetta::battery {

enum class BatteryIconAction { kUnmanaged, kHide, kShow };

struct BatteryIconDecision {
  BatteryIconAction action = BatteryIconAction::kUnmanaged;
  std::string tooltip;  // with kShow: "Power source: %s\nPower remaining: %s"
};

// Whether the battery tray icon shows now. Without "show while discharging" the icon
// is left alone entirely; on AC power it goes away unless charging icons are wanted and
// the battery is really taking charge (or icons on AC are wanted as well).
BatteryIconDecision DecideBatteryIcon(const platform::PowerStatus& status,
                                      const BatteryOptions& options, const TextSource& texts);

}  // namespace pacetta::battery
