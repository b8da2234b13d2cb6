#include "app/battery/battery_text_table.h"

#include <string>
#include <vector>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "battery/battery_string_ids.h"

namespace pacetta {

static_assert(battery::kTextAcPower == kStrAcPower && battery::kTextBattery == kStrBattery);
static_assert(battery::kTextBatteryTooltip == kStrTooltipBattery);
static_assert(battery::kTextBatteryDevice == kStrBatteryDevice);
static_assert(battery::kTextNotAvailable == kStrNotAvailableShort &&
              battery::kTextNotApplicable == kStrNotApplicable &&
              battery::kTextUnsupported == kStrUnsupported);
static_assert(battery::kTextFlagHigh == kStrBatteryFlagHigh &&
              battery::kTextFlagLow == kStrBatteryFlagLow &&
              battery::kTextCritical == kStrBatteryCritical &&
              battery::kTextCharging == kStrBatteryCharging &&
              battery::kTextFlagMedium == kStrBatteryFlagMedium);
static_assert(battery::kTextNoSystemBattery == kStrNoSystemBattery &&
              battery::kTextUnknownStatus == kStrUnknownBatteryStatus);
static_assert(battery::kTextHoursMinutesSeconds == kStrTimeHoursMinutesSeconds &&
              battery::kTextMinutesSeconds == kStrTimeMinutesSeconds &&
              battery::kTextSeconds == kStrTimeSeconds);
static_assert(battery::kTextUnits == kStrUnitRelativeCapacity &&
              battery::kTextMilliwattHours == kStrUnitMilliwattHours &&
              battery::kTextUnitsPerHour == kStrUnitRelativeRate &&
              battery::kTextMilliwatts == kStrUnitMilliwatts &&
              battery::kTextEstimated == kStrEstimated);
static_assert(battery::kTextChargeRate == kStrChargeRate &&
              battery::kTextDischargeRate == kStrDischargeRate &&
              battery::kTextLifeTimeRemaining == kStrLifeTimeRemaining &&
              battery::kTextChargingTimeLeft == kStrChargingTimeLeft);
static_assert(battery::kTextOnLine == kStrBatteryOnLine &&
              battery::kTextDischarging == kStrBatteryDischarging && battery::kTextYes == kStrYes &&
              battery::kTextNo == kStrNo &&
              battery::kTextDeviceNotPresent == kStrBatteryNotPresent);

battery::TextSource BatteryTextTable(const StringTable& strings) {
  battery::TextSource source;
  source.text = [&strings](uint32_t id) { return strings.Get(id); };
  source.format = [&strings](uint32_t id, const std::vector<battery::TextValue>& args) {
    std::vector<TextArg> converted;
    for (const auto& arg : args) {
      if (const auto* number = std::get_if<int64_t>(&arg)) {
        converted.emplace_back(*number);
      } else {
        converted.emplace_back(std::get<std::string>(arg));
      }
    }
    // FormatText takes a list; the formats here have at most three arguments.
    const auto at = [&converted](size_t i) {
      return i < converted.size() ? converted[i] : TextArg("");
    };
    return FormatText(strings.Get(id), {at(0), at(1), at(2)});
  };
  return source;
}

}  // namespace pacetta
