#include "platform/linux/battery_devices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using Attributes = std::map<std::string, std::string>;
constexpr std::chrono::seconds kGenerous{20};

// A power-supply class folder: one folder per supply, one file per attribute.
class BatteryTree {
 public:
  BatteryTree() : batteries_(Options()) {}

  void Add(const std::string& supply, const Attributes& attributes) {
    const std::string folder = root_.File(supply);
    std::filesystem::create_directories(folder);
    for (const auto& [name, value] : attributes)
      std::ofstream(folder + "/" + name) << value << "\n";
  }
  void Remove(const std::string& supply) { std::filesystem::remove_all(root_.File(supply)); }
  std::string Path(const std::string& supply) const { return root_.File(supply); }
  LinuxBatteries& Batteries() { return batteries_; }

 private:
  BatteryWatchOptions Options() {
    // The test compares the listings itself: no kernel events, no timed rescans.
    return {root_.Path(), std::chrono::hours(1), false};
  }

  testing::TempFolder root_;
  LinuxBatteries batteries_;
};

std::string Text(const platform::BatteryText& field) {
  return std::string(field.data(), strnlen(field.data(), field.size()));
}

const Attributes kEnergyGauge = {{"type", "Battery"},
                                 {"present", "1"},
                                 {"status", "Discharging"},
                                 {"technology", "Li-ion"},
                                 {"model_name", "DELL 7FJ9257"},
                                 {"manufacturer", "SMP"},
                                 {"serial_number", "4711"},
                                 {"energy_full_design", "56000000"},
                                 {"energy_full", "50000000"},
                                 {"energy_now", "25000000"},
                                 {"power_now", "12500000"},
                                 {"voltage_now", "11400000"},
                                 {"cycle_count", "311"},
                                 {"manufacture_year", "2021"},
                                 {"manufacture_month", "3"},
                                 {"manufacture_day", "14"},
                                 {"charge_behaviour", "[auto] inhibit-charge force-discharge"}};

TEST(LinuxBatteries, AnEnergyGaugeReportsItsIdentityAndStatusInMilliwattHours) {
  BatteryTree tree;
  tree.Add("BAT0", kEnergyGauge);
  const auto identity = tree.Batteries().Information(tree.Path("BAT0"));
  ASSERT_TRUE(identity);
  EXPECT_EQ(Text(identity->name), "DELL 7FJ9257");
  EXPECT_EQ(Text(identity->manufacturer), "SMP");
  EXPECT_EQ(Text(identity->uniqueId), "4711");
  const auto& info = identity->information;
  EXPECT_EQ(info.designedCapacity, 56000u);
  EXPECT_EQ(info.fullChargedCapacity, 50000u);
  EXPECT_EQ(info.cycleCount, 311u);
  EXPECT_EQ(info.technology, 1);
  EXPECT_EQ(std::string(info.chemistry.data(), 4), "LION");
  EXPECT_EQ(info.capabilities, platform::kBatterySystemBattery |
                                   platform::kBatteryCanRequestCharge |
                                   platform::kBatteryCanRequestDischarge);
  EXPECT_EQ(identity->manufactured.year, 2021);
  EXPECT_EQ(identity->manufactured.month, 3);
  EXPECT_EQ(identity->manufactured.day, 14);

  const auto status = tree.Batteries().Status(tree.Path("BAT0"));
  ASSERT_TRUE(status);
  EXPECT_EQ(status->powerState, platform::kBatteryDischarging);
  EXPECT_EQ(status->capacity, 25000u);
  EXPECT_EQ(status->voltage, 11400u);
  EXPECT_EQ(status->rate, -12500) << "a discharge carries a negative rate";
  EXPECT_EQ(status->temperature, -1) << "no temperature file: unknown, not absolute zero";
}

// Charge gauges report µAh and µA; at the design voltage they give energies, at the
// present voltage the rate. The status, not the sign of the current, says which way.
TEST(LinuxBatteries, AChargeGaugeIsConvertedAtItsVoltageAndTheStatusGivesTheSign) {
  BatteryTree tree;
  tree.Add("BAT1", {{"type", "Battery"},
                    {"status", "Charging"},
                    {"charge_full_design", "5000000"},
                    {"charge_full", "4000000"},
                    {"charge_now", "1000000"},
                    {"current_now", "-2000000"},
                    {"voltage_min_design", "10800000"},
                    {"voltage_now", "12000000"},
                    {"temp", "315"}});
  const auto identity = tree.Batteries().Information(tree.Path("BAT1"));
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->information.designedCapacity, 54000u);     // 5 Ah at 10.8 V
  EXPECT_EQ(identity->information.fullChargedCapacity, 48000u);  // 4 Ah at 12 V
  EXPECT_EQ(identity->information.capabilities, platform::kBatterySystemBattery);
  const auto status = tree.Batteries().Status(tree.Path("BAT1"));
  ASSERT_TRUE(status);
  EXPECT_EQ(status->powerState, platform::kBatteryPowerOnLine | platform::kBatteryChargingState);
  EXPECT_EQ(status->capacity, 12000u);
  EXPECT_EQ(status->rate, 24000);
  EXPECT_EQ(status->temperature, 3047) << "31.5 °C in tenths of a kelvin";
}

TEST(LinuxBatteries, OnlySystemBatteriesAreListedAndNoMoreThanEight) {
  BatteryTree tree;
  tree.Add("AC", {{"type", "Mains"}, {"online", "1"}});
  tree.Add("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "40"}});
  tree.Add("BAT9", {{"type", "Battery"}, {"present", "0"}});
  for (int i = 0; i < 9; ++i) tree.Add("CMB" + std::to_string(i), {{"type", "Battery"}});
  const auto listed = tree.Batteries().Enumerate();
  ASSERT_EQ(listed.size(), platform::kMaxBatteryDevices);
  EXPECT_EQ(listed.front(), tree.Path("CMB0"));
  EXPECT_EQ(listed.back(), tree.Path("CMB7"));
  EXPECT_FALSE(tree.Batteries().Status(tree.Path("hidpp_battery_0")));
  EXPECT_FALSE(tree.Batteries().Status(tree.Path("BAT9"))) << "an empty bay reads as not present";
}

class CountingListener final : public platform::BatteryListener {
 public:
  void OnBatteryDevicesChanged() override { ++changes; }
  std::atomic<int> changes{0};
};

TEST(LinuxBatteries, InsertingAndRemovingABatteryEachPostOneNotice) {
  BatteryTree tree;
  tree.Add("BAT0", kEnergyGauge);
  CountingListener listener;
  const auto subscription = tree.Batteries().Subscribe(listener);

  tree.Batteries().RescanOnce();
  ASSERT_TRUE(tree.Batteries().WaitDelivered(kGenerous));
  EXPECT_EQ(listener.changes, 0) << "an unchanged listing is no change";

  tree.Add("BAT1", kEnergyGauge);
  tree.Batteries().RescanOnce();
  ASSERT_TRUE(tree.Batteries().WaitDelivered(kGenerous));
  EXPECT_EQ(listener.changes, 1);

  // A battery taken out of its bay keeps its folder with "present" 0.
  tree.Add("BAT1", {{"present", "0"}});
  tree.Batteries().RescanOnce();
  ASSERT_TRUE(tree.Batteries().WaitDelivered(kGenerous));
  EXPECT_EQ(listener.changes, 2);
  EXPECT_FALSE(tree.Batteries().Status(tree.Path("BAT1")));

  tree.Remove("BAT0");
  tree.Batteries().RescanOnce();
  ASSERT_TRUE(tree.Batteries().WaitDelivered(kGenerous));
  EXPECT_EQ(listener.changes, 3);
  EXPECT_TRUE(tree.Batteries().Enumerate().empty());
}

}  // namespace
}  // namespace pacetta::linux_os
