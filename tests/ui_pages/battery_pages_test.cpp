// The Battery info page and a battery device page against the simulated machine's
// power supply, whose clock the test moves: what they show of a discharge, the device
// that goes away and comes back, and what "Apply" hands over.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/sim/power/sim_power.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/battery_device/battery_device_page.h"
#include "ui/pages/battery_info/battery_info_page.h"

namespace pacetta::ui {
namespace {

using namespace std::chrono_literals;
using testing::PageModel;
using testing::RecordingHost;

constexpr uint64_t kNsPerSecond = 1000000000;

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

std::string Text(QWidget& page, const char* name) {
  return Find<QLabel>(page, name).text().toStdString();
}

// The simulated laptop's one battery (46000 mWh full, 9000 mW drawn with idle
// processors), on a clock the test moves.
struct BatteryRig {
  BatteryRig() : model("core2-duo-laptop", false) {
    testing::TestApp();
    power.AttachMachine([this] { return nowNs.load(); }, [] { return 0.0; });
    model.battery = &monitor;
  }
  void Advance(uint64_t seconds) { nowNs += seconds * kNsPerSecond; }

  std::atomic<uint64_t> nowNs{0};
  sim::SimPower power;
  PageModel model;
  RecordingHost host;
  BatteryMonitor monitor{power, power, model.Strings(), model.settings};
};

// An hour on battery at 9000 mW leaves 37000 mWh of 46000: the info page shows the
// global status, the device page the reported rate and the time it works out itself (the
// pack reports none).
TEST(BatteryPages, ShowADischargeOfKnownRate) {
  BatteryRig rig;
  ASSERT_TRUE(rig.power.Unplug());
  rig.Advance(3600);
  rig.monitor.Tick();
  rig.monitor.Rebuild();
  ASSERT_EQ(rig.monitor.DeviceCount(), 1u);

  BatteryInfoPage info({rig.model, rig.host}, rig.monitor);
  info.RefreshShownValues();
  EXPECT_EQ(Text(info, "PowerSource"), "Battery");
  EXPECT_EQ(Text(info, "ChargeRemaining"), "High (80%)");
  EXPECT_EQ(Text(info, "LifeTimeRemaining"), "4 hr, 6 min, 40 sec");
  EXPECT_EQ(Text(info, "FullLifeTime"), "5 hr, 6 min, 40 sec");

  BatteryDevicePage device({rig.model, rig.host}, rig.monitor);
  device.LoadDevice(0);
  EXPECT_FALSE(device.ShowsNotPresent());
  EXPECT_EQ(Text(device, "PowerState"), "Discharging");
  EXPECT_EQ(Text(device, "RemainingCapacity"), "37000 mWh (80.4%)");
  EXPECT_EQ(Text(device, "Rate"), "9000 mW");
  EXPECT_EQ(Text(device, "Time"), "4 hr, 6 min, 40 sec (estimated)");
  EXPECT_EQ(Text(device, "DeviceName"), "Simulated battery 0");
  EXPECT_EQ(Text(device, "Chemistry"), "LION");
  EXPECT_EQ(Text(device, "WarningAlert"), "4600 mWh");
  EXPECT_EQ(Text(device, "LowAlert"), "2300 mWh");
  const auto labels = device.findChildren<QLabel*>();
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                          [](QLabel* l) { return l->text() == "Discharge rate:"; }));
  EXPECT_TRUE(Find<QPushButton>(device, "RequestCharge").isEnabled());
  EXPECT_TRUE(Find<QPushButton>(device, "RequestDischarge").isEnabled());

  // Plugged in, the same battery takes 30000 mW: the labels turn with the sign.
  ASSERT_TRUE(rig.power.Plug());
  rig.Advance(1);
  rig.monitor.ReadDevice(0);
  device.RefreshShownValues();
  EXPECT_EQ(Text(device, "PowerState"), "On line, Charging");
  EXPECT_EQ(Text(device, "Rate"), "30000 mW");
  EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                          [](QLabel* l) { return l->text() == "Charging time left:"; }));
}

// A device taken out shows "not present" with its "Refresh" until the list is built
// afresh on the removal notice; one put in afterwards gets its page with its own name.
TEST(BatteryPages, FollowARemovalAndAnInsert) {
  BatteryRig rig;
  std::atomic<int> notices{0};
  rig.monitor.Listen([&notices] { ++notices; });
  rig.monitor.Rebuild();
  BatteryDevicePage device({rig.model, rig.host}, rig.monitor);
  device.LoadDevice(0);
  ASSERT_FALSE(device.ShowsNotPresent());

  ASSERT_TRUE(rig.power.RemoveBattery());
  Find<QPushButton>(device, "Refresh").click();  // hidden, but a click still reads
  EXPECT_TRUE(device.ShowsNotPresent());
  EXPECT_EQ(rig.monitor.DeviceItemText(0), "Battery device: ");

  ASSERT_TRUE(rig.power.WaitDelivered(30s));
  EXPECT_EQ(notices.load(), 1);
  EXPECT_TRUE(rig.monitor.DevicesChanged());
  EXPECT_EQ(rig.monitor.DeviceCount(), 0u);

  ASSERT_TRUE(rig.power.InsertBattery());
  ASSERT_TRUE(rig.power.WaitDelivered(30s));
  EXPECT_EQ(notices.load(), 2);
  const uint64_t serial = rig.monitor.ListSerial();
  EXPECT_TRUE(rig.monitor.DevicesChanged());
  EXPECT_NE(rig.monitor.ListSerial(), serial);
  ASSERT_EQ(rig.monitor.DeviceCount(), 1u);
  EXPECT_EQ(rig.monitor.DeviceItemText(0), "Battery device: Simulated battery 1");
  device.LoadDevice(0);
  EXPECT_FALSE(device.ShowsNotPresent());
  EXPECT_EQ(Text(device, "UniqueId"), "SIM-1001");

  // Without "BatteryDevNotifyEnable" a notice leaves the list as it is.
  rig.model.settings.battery.devNotifyEnable = 0;
  rig.monitor.Configure();
  EXPECT_FALSE(rig.monitor.DevicesChanged());
  EXPECT_EQ(rig.monitor.ListSerial(), serial + 1);
}

// The fields show the stored milliseconds in seconds and "Apply" stores seconds × 1000,
// the tray's battery rules with them; a stored value the field rounds stays as stored
// until the field is edited.
TEST(BatteryPages, InfoPageAppliesItsSettings) {
  BatteryRig rig;
  rig.model.settings.battery.pollIntervalMs = 2500;
  BatteryInfoPage info({rig.model, rig.host}, rig.monitor);
  EXPECT_EQ(Find<QSpinBox>(info, "PollInterval").value(), 3);
  EXPECT_EQ(Find<QSpinBox>(info, "EstimationAverage").value(), 30);
  EXPECT_FALSE(Find<QPushButton>(info, "Apply").isEnabled());

  Find<QCheckBox>(info, "ForceRateEstimate").setChecked(true);
  Find<QCheckBox>(info, "TrayOnAc").setChecked(true);
  ASSERT_TRUE(Find<QPushButton>(info, "Apply").isEnabled());
  Find<QPushButton>(info, "Apply").click();
  EXPECT_EQ(rig.model.calls, std::vector<std::string>{"ApplyBattery"});
  EXPECT_EQ(rig.model.settings.battery.pollIntervalMs, 2500);
  EXPECT_EQ(rig.model.settings.battery.chargeRateForceEstimate, 1);
  EXPECT_EQ(rig.model.settings.tray.showBatteryOnAc, 1);

  Find<QSpinBox>(info, "PollInterval").setValue(60);
  Find<QSpinBox>(info, "EstimationAverage").setValue(300);
  Find<QPushButton>(info, "Apply").click();
  EXPECT_EQ(rig.model.settings.battery.pollIntervalMs, 60000);
  EXPECT_EQ(rig.model.settings.battery.estimationAverageMs, 300000);
}

}  // namespace
}  // namespace pacetta::ui
