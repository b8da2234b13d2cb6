#include "battery/battery_tray.h"

#include "battery/battery_string_ids.h"
#include "battery/battery_texts.h"

namespace pacetta::battery {

BatteryIconDecision DecideBatteryIcon(const platform::PowerStatus& status,
                                      const BatteryOptions& options, const TextSource& texts) {
  if (!options.showDischarging) return {};
  const bool notTakingCharge = status.batteryFlag == platform::kNoSystemBattery ||
                               status.batteryFlag == platform::kBatteryUnknown ||
                               status.batteryPercent == 100;
  if (status.acLine == platform::kAcOnline &&
      (!options.showCharging || (notTakingCharge && !options.showOnAc))) {
    return {BatteryIconAction::kHide, {}};
  }
  return {BatteryIconAction::kShow,
          texts.format(kTextBatteryTooltip,
                       {PowerSourceText(status, texts), ChargeText(status, texts)})};
}

}  // namespace pacetta::battery
