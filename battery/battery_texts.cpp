#include "battery/battery_texts.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "battery/battery_estimate.h"

namespace pacetta::battery {
namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buffer[320];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string joined;
  for (const auto& part : parts) {
    if (!joined.empty()) joined += ", ";
    joined += part;
  }
  return joined;
}

std::string YesNo(bool yes, const TextSource& texts) {
  return texts.text(yes ? kTextYes : kTextNo);
}

std::string PowerStateText(uint32_t state, const TextSource& texts) {
  static constexpr std::pair<uint32_t, uint32_t> kBits[] = {
      {platform::kBatteryPowerOnLine, kTextOnLine},
      {platform::kBatteryDischarging, kTextDischarging},
      {platform::kBatteryChargingState, kTextCharging},
      {platform::kBatteryCriticalState, kTextCritical},
  };
  std::vector<std::string> parts;
  for (const auto& [bit, id] : kBits) {
    if (state & bit) parts.push_back(texts.text(id));
  }
  return parts.empty() ? texts.text(kTextUnknownStatus) : Join(parts);
}

std::string TemperatureText(int32_t tenthsKelvin, bool fahrenheit, const TextSource& texts) {
  // 0 and -1 both mean the device does not tell; shown as a temperature they would
  // read as absolute zero.
  if (tenthsKelvin <= 0) return texts.text(kTextUnsupported);
  const double celsius = tenthsKelvin * 0.1 - 273.15;
  if (fahrenheit)
    return Printf(
        "%.1f\xC2\xB0"
        "F",
        celsius * 1.8 + 32.0);
  return Printf(
      "%.1f\xC2\xB0"
      "C",
      celsius);
}

std::string CapacityText(uint32_t value, const std::string& unit) {
  return Printf("%u %s", value, unit.c_str());
}

std::string RateText(const ChosenRate& rate, const std::string& unit, const TextSource& texts) {
  const long long magnitude = rate.value < 0 ? -static_cast<long long>(rate.value) : rate.value;
  if (!rate.estimated) return Printf("%lld %s", magnitude, unit.c_str());
  if (rate.value == 0) return texts.text(kTextNotApplicable);
  return Printf("%lld %s (%s)", magnitude, unit.c_str(), texts.text(kTextEstimated).c_str());
}

std::string TimeText(const RemainingTime& time, const TextSource& texts) {
  switch (time.kind) {
    case RemainingTime::Kind::kReported:
      return FormatBatteryTime(time.seconds, texts);
    case RemainingTime::Kind::kEstimated:
      return FormatBatteryTime(time.seconds, texts) + " (" + texts.text(kTextEstimated) + ")";
    case RemainingTime::Kind::kUnsupported:
      return texts.text(kTextUnsupported);
    case RemainingTime::Kind::kNotApplicable:
      return texts.text(kTextNotApplicable);
  }
  return {};
}

std::string FlagText(uint8_t flag, const TextSource& texts) {
  if (flag == platform::kBatteryUnknown) return texts.text(kTextUnknownStatus);
  if (flag == platform::kNoSystemBattery) return texts.text(kTextNoSystemBattery);
  std::vector<std::string> parts;
  if (flag & platform::kBatteryHigh) parts.push_back(texts.text(kTextFlagHigh));
  if (flag & platform::kBatteryLow) parts.push_back(texts.text(kTextFlagLow));
  if (flag & platform::kBatteryCritical) parts.push_back(texts.text(kTextCritical));
  if (!(flag & (platform::kBatteryHigh | platform::kBatteryLow | platform::kBatteryCritical))) {
    parts.push_back(texts.text(kTextFlagMedium));
  }
  if (flag & platform::kBatteryCharging) parts.push_back(texts.text(kTextCharging));
  return Join(parts);
}

}  // namespace

std::string FormatBatteryTime(int64_t seconds, const TextSource& texts) {
  if (seconds < 0) return texts.text(kTextNotAvailable);
  const int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  if (hours > 0) return texts.format(kTextHoursMinutesSeconds, {hours, minutes, rest});
  if (minutes > 0) return texts.format(kTextMinutesSeconds, {minutes, rest});
  return texts.format(kTextSeconds, {rest});
}

DevicePageTexts MakeDevicePageTexts(const BatterySlot& slot, const BatteryDerived& derived,
                                    const BatteryOptions& options, const TextSource& texts) {
  const auto& info = slot.information;
  const bool relative = info.capabilities & platform::kBatteryRelativeCapacity;
  const std::string capacityUnit = texts.text(relative ? kTextUnits : kTextMilliwattHours);
  const std::string rateUnit = texts.text(relative ? kTextUnitsPerHour : kTextMilliwatts);

  DevicePageTexts page;
  page.powerState = PowerStateText(slot.powerState, texts);
  const uint32_t capacity = slot.Newest();
  if (capacity == platform::kBatteryCapacityUnknown || info.fullChargedCapacity == 0) {
    page.remainingCapacity = texts.text(kTextUnsupported);
  } else {
    page.remainingCapacity = Printf("%u %s (%.1f%%)", capacity, capacityUnit.c_str(),
                                    100.0 * capacity / info.fullChargedCapacity);
  }

  const ChosenRate rate = ChooseRate(slot, derived, options);
  page.rateLabel = rate.value < 0 ? kTextDischargeRate : kTextChargeRate;
  page.timeLabel = rate.value < 0 ? kTextLifeTimeRemaining : kTextChargingTimeLeft;
  page.rate = RateText(rate, rateUnit, texts);
  page.time = TimeText(ChooseRemainingTime(slot, rate, options), texts);

  page.voltage = slot.voltage == 0 || slot.voltage == 0xFFFFFFFF
                     ? texts.text(kTextUnsupported)
                     : Printf("%.3f V", slot.voltage * 0.001);
  page.temperature = TemperatureText(slot.temperature, options.fahrenheit, texts);
  page.name = slot.name;
  page.manufacturer = slot.manufacturer;
  page.uniqueId = slot.uniqueId;
  page.relativeCapacity = YesNo(relative, texts);
  page.shortTerm = YesNo(info.capabilities & platform::kBatteryShortTerm, texts);
  page.systemBattery = YesNo(info.capabilities & platform::kBatterySystemBattery, texts);
  page.rechargeable = YesNo(info.technology == 1, texts);
  page.canRequestCharge = info.capabilities & platform::kBatteryCanRequestCharge;
  page.canRequestDischarge = info.capabilities & platform::kBatteryCanRequestDischarge;
  page.chargeRequests = YesNo(page.canRequestCharge, texts);
  page.dischargeRequests = YesNo(page.canRequestDischarge, texts);
  page.chemistry = FieldText([&] {
    platform::BatteryText field{};
    for (size_t i = 0; i < info.chemistry.size(); ++i) field[i] = info.chemistry[i];
    return field;
  }());
  page.designedCapacity = CapacityText(info.designedCapacity, capacityUnit);
  page.fullChargedCapacity = CapacityText(info.fullChargedCapacity, capacityUnit);
  page.warningAlert = CapacityText(info.defaultAlert2, capacityUnit);
  page.lowAlert = CapacityText(info.defaultAlert1, capacityUnit);
  page.criticalBias = CapacityText(info.criticalBias, capacityUnit);
  page.cycleCount = info.cycleCount == 0 ? texts.text(kTextUnsupported)
                                         : Printf("%d", static_cast<int>(info.cycleCount));
  const auto& date = slot.manufactured;
  page.manufactured = date.day == 0 || date.month == 0 || date.year == 0
                          ? texts.text(kTextUnsupported)
                          : Printf("%02d/%02d/%04d", date.month, date.day, date.year);
  return page;
}

std::string PowerSourceText(const platform::PowerStatus& status, const TextSource& texts) {
  return texts.text(status.acLine != platform::kAcOffline ? kTextAcPower : kTextBattery);
}

std::string ChargeText(const platform::PowerStatus& status, const TextSource& texts) {
  const std::string percent = status.batteryPercent == platform::kPercentUnknown
                                  ? texts.text(kTextNotAvailable)
                                  : Printf("%d%%", static_cast<int>(status.batteryPercent));
  return FlagText(status.batteryFlag, texts) + " (" + percent + ")";
}

BatteryInfoTexts MakeBatteryInfoTexts(const platform::PowerStatus& status,
                                      const TextSource& texts) {
  return {PowerSourceText(status, texts), ChargeText(status, texts),
          FormatBatteryTime(status.batteryLifeTime, texts),
          FormatBatteryTime(status.fullBatteryLifeTime, texts)};
}

}  // namespace pacetta::battery
