#pragma once
#include <memory>

#include "app/battery/battery_monitor.h"
#include "app/settings/app_settings.h"
#include "ui/window/page.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace pacetta::ui {

// "Battery info": the machine's power source, charge and remaining times, refreshed with
// every update, and the battery monitor's settings with the tray icon's rules. "Apply"
// stores them, after which the device list is built afresh; "Refresh battery devices
// list" builds it afresh at once.
class BatteryInfoPage final : public Page {
 public:
  BatteryInfoPage(PageContext context, BatteryMonitor& monitor);

  void Reload() override;
  void RefreshShownValues() override;
  void ApplyWithoutAsking() override { Apply(); }

  // The settings as the controls hold them: the intervals in seconds are stored in ms.
  BatterySettings EditedBattery();
  TraySettings EditedTray();

 private:
  void FollowEdits();
  void Apply();
  void RefreshList();

  BatteryMonitor& monitor_;
  QLabel* powerSource_ = nullptr;
  QLabel* charge_ = nullptr;
  QLabel* lifeTime_ = nullptr;
  QLabel* fullLifeTime_ = nullptr;
  QCheckBox* devNotify_ = nullptr;
  QCheckBox* pollEnable_ = nullptr;
  QSpinBox* pollInterval_ = nullptr;
  QSpinBox* average_ = nullptr;
  QCheckBox* forceRate_ = nullptr;
  QCheckBox* forceLifeTime_ = nullptr;
  QCheckBox* trayDischarging_ = nullptr;
  QCheckBox* trayCharging_ = nullptr;
  QCheckBox* trayOnAc_ = nullptr;
  QPushButton* refreshList_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool showing_ = false;  // controls are being set, not edited
};

// Registered in the page catalogue: present where the program has a battery monitor.
bool HasBatteryInfoPage(const DesktopModel& model);
std::unique_ptr<Page> MakeBatteryInfoPage(PageContext context);

}  // namespace pacetta::ui
