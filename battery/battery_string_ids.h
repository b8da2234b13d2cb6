#pragma once
#include <cstdint>

// The numbers of the string-table texts the battery monitor shows. The table itself
// lives with the program; these must match its numbers (the program checks them).
namespace pacetta::battery {

inline constexpr uint32_t kTextAcPower = 10030;
inline constexpr uint32_t kTextBattery = 10031;
inline constexpr uint32_t kTextBatteryTooltip = 10039;
inline constexpr uint32_t kTextBatteryDevice = 10129;
inline constexpr uint32_t kTextNotAvailable = 10144;
inline constexpr uint32_t kTextNotApplicable = 10145;
inline constexpr uint32_t kTextUnsupported = 10146;
inline constexpr uint32_t kTextFlagHigh = 10200;
inline constexpr uint32_t kTextFlagLow = 10201;
inline constexpr uint32_t kTextCritical = 10202;
inline constexpr uint32_t kTextCharging = 10203;
inline constexpr uint32_t kTextFlagMedium = 10204;
inline constexpr uint32_t kTextNoSystemBattery = 10205;
inline constexpr uint32_t kTextUnknownStatus = 10206;
inline constexpr uint32_t kTextHoursMinutesSeconds = 10209;
inline constexpr uint32_t kTextMinutesSeconds = 10210;
inline constexpr uint32_t kTextSeconds = 10211;
inline constexpr uint32_t kTextUnits = 10212;
inline constexpr uint32_t kTextMilliwattHours = 10213;
inline constexpr uint32_t kTextUnitsPerHour = 10214;
inline constexpr uint32_t kTextMilliwatts = 10215;
inline constexpr uint32_t kTextEstimated = 10216;
inline constexpr uint32_t kTextChargeRate = 10217;
inline constexpr uint32_t kTextDischargeRate = 10218;
inline constexpr uint32_t kTextLifeTimeRemaining = 10219;
inline constexpr uint32_t kTextChargingTimeLeft = 10220;
inline constexpr uint32_t kTextOnLine = 10221;
inline constexpr uint32_t kTextDischarging = 10222;
inline constexpr uint32_t kTextYes = 10223;
inline constexpr uint32_t kTextNo = 10224;
inline constexpr uint32_t kTextDeviceNotPresent = 10225;

}  // namespace pacetta::battery
