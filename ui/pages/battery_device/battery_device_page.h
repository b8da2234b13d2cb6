#pragma once
#include <cstddef>
#include <memory>

#include "app/battery/battery_monitor.h"
#include "ui/window/page.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace pacetta::ui {

// A battery device's page, shared by every "Battery device: %s" item: the device's
// status, refreshed with every update, and what it tells about itself, with its charge
// and discharge requests where it takes them. While the device cannot be read it shows
// "Battery device is not present" with a "Refresh" button instead.
class BatteryDevicePage final : public Page {
 public:
  BatteryDevicePage(PageContext context, BatteryMonitor& monitor);

  void LoadDevice(size_t index) override;
  void RefreshShownValues() override;

  size_t DeviceIndex() const { return index_; }
  bool ShowsNotPresent() const;

 private:
  QWidget* BuildDetails();
  void ShowDevice();
  void ReadAgain();
  void Request(bool charge);

  BatteryMonitor& monitor_;
  size_t index_ = 0;
  QStackedWidget* views_ = nullptr;
  QWidget* notPresent_ = nullptr;
  QWidget* details_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QLabel* rateLabel_ = nullptr;
  QLabel* timeLabel_ = nullptr;
  QPushButton* requestCharge_ = nullptr;
  QPushButton* requestDischarge_ = nullptr;
};

// Registered in the page catalogue: present where the program has a battery monitor.
bool HasBatteryDevicePage(const DesktopModel& model);
std::unique_ptr<Page> MakeBatteryDevicePage(PageContext context);

}  // namespace pacetta::ui
