#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/settings/app_settings.h"
#include "app/strings/string_table.h"
#include "battery/battery_devices.h"
#include "battery/battery_options.h"
#include "battery/battery_text_source.h"
#include "battery/battery_texts.h"
#include "battery/battery_tray.h"
#include "platform/batteries.h"
#include "platform/power.h"

namespace pacetta {

// What the battery tray icon shows now, besides whether it shows at all.
struct BatteryIconNow {
  battery::BatteryIconDecision decision;
  platform::PowerStatus status;
  int32_t mode = 0;  // 0 remaining time, 1 remaining percentage
  uint32_t textColor = 0;
};

// The battery monitor of the running program: the machine's global power status, read at
// every refresh, and its battery devices, listed afresh at start, on request and when a
// battery arrives or goes, each read as its poll divider says. The Battery info page, the
// device pages and the tray's battery icon show what it holds. Loop's thread only, apart
// from the arrival and removal notices, which it hands to `devicesChanged` on the
// platform's thread.
class BatteryMonitor final : private platform::BatteryListener {
 public:
  BatteryMonitor(platform::Power& power, platform::Batteries& batteries, const StringTable& strings,
                 const AppSettings& settings);
  ~BatteryMonitor() override;
  BatteryMonitor(const BatteryMonitor&) = delete;
  BatteryMonitor& operator=(const BatteryMonitor&) = delete;

  // The settings were loaded or applied: the options and the derived poll divider and
  // sample count follow them.
  void Configure();
  // Listens for arrivals and removals; `devicesChanged` runs on a platform thread and
  // should hand the work to the loop, which then calls DevicesChanged. Stop ends it.
  void Listen(std::function<void()> devicesChanged);
  void StopListening();
  // An arrival or removal reached the loop: the list is rebuilt when the setting asks
  // for it. True when it was.
  bool DevicesChanged();

  // Lists the devices afresh and reads each one once.
  void Rebuild();
  // One update tick: the global status (a failed read keeps the last one) and every
  // device whose counter is due.
  void Tick();
  // The global status now (a change of power source was announced).
  void ReadStatus();

  const battery::BatteryOptions& Options() const { return options_; }
  const battery::BatteryDerived& Derived() const { return derived_; }
  const battery::TextSource& Texts() const { return texts_; }
  std::optional<platform::PowerStatus> Status() const { return status_; }
  battery::BatteryInfoTexts InfoTexts() const;
  // On battery: the charge and the remaining time as the tray's tooltip words them,
  // "High (85%), 1 hr, 25 min, 0 sec"; empty without a status.
  std::string ChargeAndTime() const;
  BatteryIconNow Icon() const;

  // The device list: it changes only with a rebuild, which advances the serial.
  uint64_t ListSerial() const { return listSerial_; }
  size_t DeviceCount() const { return devices_.Devices().size(); }
  const battery::BatteryDevice& Device(size_t index) const { return devices_.Devices()[index]; }
  battery::DevicePageTexts DeviceTexts(size_t index) const;
  // The tree item's text: "Battery device: %s" with the device's name.
  std::string DeviceItemText(size_t index) const;
  // Reads device `index` now (its page's "Refresh").
  void ReadDevice(size_t index);
  bool RequestCharge(size_t index);
  bool RequestDischarge(size_t index);

 private:
  void OnBatteryDevicesChanged() override;

  platform::Power& power_;
  platform::Batteries& batteries_;
  const StringTable& strings_;
  const AppSettings& settings_;
  battery::TextSource texts_;
  battery::BatteryOptions options_;
  battery::BatteryDerived derived_;
  int32_t configuredRefreshMs_ = 0;
  battery::BatteryDevices devices_;
  std::optional<platform::PowerStatus> status_;
  uint64_t listSerial_ = 0;
  std::function<void()> devicesChanged_;
  // Last: no notice arrives once the rest begins to go.
  std::unique_ptr<platform::BatterySubscription> subscription_;
};

// The monitor's options from the program's settings.
battery::BatteryOptions BatteryOptionsOf(const AppSettings& settings);

}  // namespace pacetta
