#pragma once
#include <cstdint>
#include <string>

#include "battery/battery_options.h"
#include "battery/battery_slot.h"
#include "battery/battery_string_ids.h"
#include "battery/battery_text_source.h"
#include "platform/power.h"

namespace pacetta::battery {

// "%d hr, %d min, %d sec", "%d min, %d sec" or "%d sec"; "N/A" for a negative time.
std::string FormatBatteryTime(int64_t seconds, const TextSource& texts);

// What the battery device page shows, as texts ready to print; the labels that change
// with the rate's sign are string numbers.
struct DevicePageTexts {
  std::string powerState;
  std::string remainingCapacity;
  uint32_t rateLabel = kTextChargeRate;
  std::string rate;
  uint32_t timeLabel = kTextChargingTimeLeft;
  std::string time;
  std::string voltage;
  std::string temperature;
  std::string name;
  std::string manufacturer;
  std::string uniqueId;
  std::string relativeCapacity;
  std::string shortTerm;
  std::string systemBattery;
  std::string rechargeable;
  std::string chargeRequests;
  std::string dischargeRequests;
  bool canRequestCharge = false;
  bool canRequestDischarge = false;
  std::string chemistry;
  std::string designedCapacity;
  std::string fullChargedCapacity;
  std::string warningAlert;
  std::string lowAlert;
  std::string criticalBias;
  std::string cycleCount;
  std::string manufactured;
};

DevicePageTexts MakeDevicePageTexts(const BatterySlot& slot, const BatteryDerived& derived,
                                    const BatteryOptions& options, const TextSource& texts);

// What the battery info page shows of the global power status.
struct BatteryInfoTexts {
  std::string powerSource;
  std::string chargeRemaining;
  std::string lifeTimeRemaining;
  std::string fullLifeTime;
};

// "AC power" when the AC line status is not 0, else "Battery".
std::string PowerSourceText(const platform::PowerStatus& status, const TextSource& texts);
// "%s (%s)" of the flag's words and the percentage, as the info page and tooltip show.
std::string ChargeText(const platform::PowerStatus& status, const TextSource& texts);
BatteryInfoTexts MakeBatteryInfoTexts(const platform::PowerStatus& status, const TextSource& texts);

}  // namespace pacetta::battery
