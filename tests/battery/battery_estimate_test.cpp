#include "battery/battery_estimate.h"

#include <gtest/gtest.h>

#include "app/battery/battery_text_table.h"
#include "app/strings/string_table.h"
#include "battery/battery_devices.h"
#include "battery/battery_texts.h"
#include "battery/battery_tray.h"
#include "platform/sim/power/sim_power.h"

namespace pacetta::battery {
namespace {

BatterySlot SlotWith(uint32_t older, uint32_t newest, int32_t rate, uint32_t n) {
  BatterySlot slot;
  slot.information.fullChargedCapacity = 50000;
  platform::BatteryStatus status;
  status.capacity = older;
  status.rate = rate;
  slot.TakeStatus(status);
  for (uint32_t i = 1; i < n; ++i) slot.TakeStatus(status);
  status.capacity = newest;
  slot.TakeStatus(status);
  return slot;
}

TEST(BatteryDerived, DividerAndSampleCount) {
  struct Case {
    int32_t pollMs, averageMs, updateMs;
    uint32_t divider, samples;
  } cases[] = {
      {10000, 30000, 1000, 10, 3},
      {1000, 500000, 1000, 1, 63},  // the window is clamped, and N to the ring
      {1000, 30000, 3000, 1, 30},   // a poll shorter than the update still reads
      {60000, 1000, 1000, 60, 1},
  };
  for (const auto& c : cases) {
    BatteryOptions options;
    options.pollIntervalMs = c.pollMs;
    options.estimationAverageMs = c.averageMs;
    const auto derived = DeriveBatteryValues(options, c.updateMs);
    EXPECT_EQ(derived.pollDivider, c.divider) << c.pollMs << "/" << c.updateMs;
    EXPECT_EQ(derived.sampleCount, c.samples) << c.averageMs << "/" << c.pollMs;
  }
}

TEST(BatteryTexts, RateAndTimeFromTheRingOrTheDevice) {
  const StringTable strings;
  const TextSource texts = BatteryTextTable(strings);
  BatteryOptions options;
  const auto derived = DeriveBatteryValues(options, 1000);  // N = 3, 10 s
  struct Case {
    uint32_t older, newest;
    int32_t rate;
    uint32_t rateLabel;
    const char* rateText;
    const char* timeText;
  } cases[] = {
      {40030, 40000, platform::kBatteryRateUnknown, kTextDischargeRate, "3600 mW (estimated)",
       "11 hr, 6 min, 40 sec (estimated)"},
      {40000, 40000, 0, kTextChargeRate, "Not applicable", "Not applicable"},
      {40000, 40030, 0, kTextChargeRate, "3600 mW (estimated)", "2 hr, 46 min, 10 sec (estimated)"},
      {40000, 40000, -20000, kTextDischargeRate, "20000 mW", "2 hr, 0 min, 0 sec (estimated)"},
      {0xFFFFFFFF, 0xFFFFFFFF, -20000, kTextDischargeRate, "20000 mW", "Unsupported"},
      {50100, 50200, 3000, kTextChargeRate, "3000 mW", "0 sec (estimated)"},  // above full
  };
  for (const auto& c : cases) {
    const BatterySlot slot = SlotWith(c.older, c.newest, c.rate, derived.sampleCount);
    const auto page = MakeDevicePageTexts(slot, derived, options, texts);
    EXPECT_EQ(page.rateLabel, c.rateLabel) << c.rateText;
    EXPECT_EQ(page.rate, c.rateText);
    EXPECT_EQ(page.time, c.timeText) << c.rateText;
  }
  EXPECT_EQ(MakeDevicePageTexts(SlotWith(0xFFFFFFFF, 0xFFFFFFFF, -1, 3), derived, options, texts)
                .remainingCapacity,
            "Unsupported");
}

TEST(BatteryTexts, UnknownTemperatureAndFullLengthNames) {
  const StringTable strings;
  const TextSource texts = BatteryTextTable(strings);
  for (const int32_t unknown : {0, -1}) {
    BatterySlot slot;
    slot.temperature = unknown;
    EXPECT_EQ(MakeDevicePageTexts(slot, {}, {}, texts).temperature, "Unsupported") << unknown;
  }
  platform::BatteryIdentity identity;
  identity.name.fill('A');  // no terminating zero within the field
  BatterySlot slot;
  slot.TakeIdentity(identity);
  EXPECT_EQ(slot.name, std::string(256, 'A'));
}

TEST(BatteryTexts, TimesAndTrayIcon) {
  const StringTable strings;
  const TextSource texts = BatteryTextTable(strings);
  EXPECT_EQ(FormatBatteryTime(3725, texts), "1 hr, 2 min, 5 sec");
  EXPECT_EQ(FormatBatteryTime(61, texts), "1 min, 1 sec");
  EXPECT_EQ(FormatBatteryTime(59, texts), "59 sec");
  EXPECT_EQ(FormatBatteryTime(-1, texts), "N/A");

  struct Case {
    uint8_t ac, flag, percent;
    bool showDischarging, showCharging, showOnAc;
    BatteryIconAction action;
  } cases[] = {
      {1, 0x09, 100, true, true, false, BatteryIconAction::kHide},
      {1, 0x09, 100, true, true, true, BatteryIconAction::kShow},
      {1, 0x08, 50, true, true, false, BatteryIconAction::kShow},
      {1, 0x08, 50, true, false, true, BatteryIconAction::kHide},
      {1, 128, 255, true, true, false, BatteryIconAction::kHide},
      {0, 0x02, 20, true, false, false, BatteryIconAction::kShow},
      {0, 0x02, 20, false, true, true, BatteryIconAction::kUnmanaged},
  };
  for (const auto& c : cases) {
    platform::PowerStatus status;
    status.acLine = c.ac;
    status.batteryFlag = c.flag;
    status.batteryPercent = c.percent;
    BatteryOptions options;
    options.showDischarging = c.showDischarging;
    options.showCharging = c.showCharging;
    options.showOnAc = c.showOnAc;
    EXPECT_EQ(DecideBatteryIcon(status, options, texts).action, c.action)
        << int(c.ac) << " " << int(c.flag) << " " << int(c.percent);
  }
  platform::PowerStatus onBattery{0, 0x02, 20, -1, -1};
  EXPECT_EQ(DecideBatteryIcon(onBattery, {}, texts).tooltip,
            "Power source: Battery\nPower remaining: Low (20%)");
}

TEST(BatteryDevices, SimulatedDischargeArrivalAndRemoval) {
  uint64_t nowNs = 0;
  sim::SimPower power;
  power.AttachMachine([&nowNs] { return nowNs; }, [] { return 0.0; });
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(power.InsertBattery());
  BatteryDevices devices(power);
  devices.Rebuild({});
  EXPECT_EQ(devices.Devices().size(), 8u) << "a ninth battery is not listed";
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(power.RemoveBattery());
  devices.Rebuild({});
  ASSERT_EQ(devices.Devices().size(), 1u);

  ASSERT_TRUE(power.Unplug());
  BatteryOptions options;
  const auto derived = DeriveBatteryValues(options, 1000);
  for (int i = 0; i < 4; ++i) {
    devices.Read(devices.Devices()[0]);
    nowNs += 10'000'000'000;  // the idle machine draws 9000 mW
  }
  options.forceRateEstimate = true;
  const StringTable strings;
  const auto page =
      MakeDevicePageTexts(devices.Devices()[0].slot, derived, options, BatteryTextTable(strings));
  EXPECT_EQ(page.rate, "9000 mW (estimated)");
  EXPECT_EQ(page.name, "Simulated battery 0");

  ASSERT_TRUE(power.RemoveBattery());
  devices.Read(devices.Devices()[0]);
  EXPECT_FALSE(devices.Devices()[0].present);
  EXPECT_EQ(power.Status()->batteryFlag, platform::kNoSystemBattery);
}

}  // namespace
}  // namespace pacetta::battery
