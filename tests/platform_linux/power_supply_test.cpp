#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/linux/power_supply_tree.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

// A power-supply class folder as the kernel lays it out: one folder per supply, one
// file per attribute, each value on a line of its own.
class SupplyTree {
 public:
  void Add(const std::string& supply, const std::map<std::string, std::string>& attributes) {
    const std::string folder = root_.File(supply);
    std::filesystem::create_directories(folder);
    for (const auto& [name, value] : attributes)
      std::ofstream(folder + "/" + name) << value << "\n";
  }
  platform::PowerStatus Read() {
    const auto status = ReadPowerSupplies(root_.Path());
    EXPECT_TRUE(status);
    return status.value_or(platform::PowerStatus{});
  }
  const std::string& Root() const { return root_.Path(); }

 private:
  testing::TempFolder root_;
};

TEST(PowerSupplies, ALaptopOnItsAdapterCharges) {
  SupplyTree tree;
  tree.Add("ACAD", {{"type", "Mains"}, {"online", "1"}});
  tree.Add("BAT0", {{"type", "Battery"},
                    {"present", "1"},
                    {"status", "Charging"},
                    {"energy_now", "30000000"},
                    {"energy_full", "40000000"},
                    {"power_now", "15000000"},
                    {"capacity", "75"}});
  const auto status = tree.Read();
  EXPECT_EQ(status.acLine, platform::kAcOnline);
  EXPECT_EQ(status.batteryPercent, 75);
  EXPECT_EQ(status.batteryFlag, platform::kBatteryHigh | platform::kBatteryCharging);
  EXPECT_EQ(status.batteryLifeTime, -1) << "no remaining time while charging";
}

TEST(PowerSupplies, OnBatteryTheRemainingTimeFollowsTheDischargeRate) {
  SupplyTree tree;
  tree.Add("AC", {{"type", "Mains"}, {"online", "0"}});
  // Charge-based gauge, reporting its current as a negative number.
  tree.Add("BAT1", {{"type", "Battery"},
                    {"status", "Discharging"},
                    {"charge_now", "1000000"},
                    {"charge_full", "4000000"},
                    {"current_now", "-2000000"}});
  const auto status = tree.Read();
  EXPECT_EQ(status.acLine, platform::kAcOffline);
  EXPECT_EQ(status.batteryPercent, 25);
  EXPECT_EQ(status.batteryFlag, platform::kBatteryLow);
  EXPECT_EQ(status.batteryLifeTime, 1800);
  EXPECT_EQ(status.fullBatteryLifeTime, 7200);
}

TEST(PowerSupplies, TwoBatteriesCountByTheirEnergyNotTheirAverage) {
  SupplyTree tree;
  tree.Add("AC", {{"type", "Mains"}, {"online", "0"}});
  tree.Add("BAT0", {{"type", "Battery"},
                    {"status", "Discharging"},
                    {"energy_now", "9000000"},
                    {"energy_full", "10000000"},
                    {"power_now", "5000000"},
                    {"capacity", "90"}});
  tree.Add("BAT1", {{"type", "Battery"},
                    {"status", "Discharging"},
                    {"energy_now", "3000000"},
                    {"energy_full", "30000000"},
                    {"power_now", "5000000"},
                    {"capacity", "10"}});
  const auto status = tree.Read();
  EXPECT_EQ(status.batteryPercent, 30) << "12 of 40 Wh, not (90 + 10) / 2";
  EXPECT_EQ(status.batteryLifeTime, 12 * 3600 / 10);
}

TEST(PowerSupplies, PeripheralsAndAbsentBatteriesDoNotCount) {
  SupplyTree tree;
  tree.Add(
      "hidpp_battery_0",
      {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}, {"status", "Discharging"}});
  tree.Add("BAT0", {{"type", "Battery"}, {"present", "0"}});
  const auto status = tree.Read();
  EXPECT_EQ(status.acLine, platform::kAcOnline) << "mains only, as a desktop";
  EXPECT_EQ(status.batteryFlag, platform::kNoSystemBattery);
  EXPECT_EQ(status.batteryPercent, platform::kPercentUnknown);
}

TEST(PowerSupplies, AnyOnlineAdapterMeansAcPower) {
  SupplyTree tree;
  tree.Add("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "0"}});
  tree.Add("ucsi-source-psy-USBC000:002", {{"type", "USB"}, {"online", "1"}});
  tree.Add("BAT0", {{"type", "Battery"}, {"status", "Not charging"}, {"capacity", "80"}});
  const auto status = tree.Read();
  EXPECT_EQ(status.acLine, platform::kAcOnline);
  EXPECT_EQ(status.batteryPercent, 80) << "the capacity when no energy is reported";
  EXPECT_EQ(status.batteryFlag, platform::kBatteryHigh);
}

TEST(PowerSupplies, WithoutAnAdapterFolderTheBatteryTellsTheLine) {
  struct Case {
    const char* batteryStatus;
    uint8_t acLine;
  };
  for (const Case c :
       {Case{"Discharging", platform::kAcOffline}, Case{"Full", platform::kAcOnline},
        Case{"Charging", platform::kAcOnline}, Case{"Unknown", platform::kAcUnknown}}) {
    SupplyTree tree;
    tree.Add("BAT0", {{"type", "Battery"}, {"status", c.batteryStatus}});
    const auto status = tree.Read();
    EXPECT_EQ(status.acLine, c.acLine) << c.batteryStatus;
    EXPECT_EQ(status.batteryPercent, platform::kPercentUnknown) << c.batteryStatus;
  }
}

TEST(PowerSupplies, AMissingFolderIsAFailedQuery) {
  SupplyTree tree;
  EXPECT_FALSE(ReadPowerSupplies(tree.Root() + "/absent"));
  const auto empty = ReadPowerSupplies(tree.Root());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->acLine, platform::kAcOnline);
}

}  // namespace
}  // namespace pacetta::linux_os
