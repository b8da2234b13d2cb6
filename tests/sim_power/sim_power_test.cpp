#include "platform/sim/power/sim_power.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/sim_power/notice_recorder.h"

namespace pacetta::sim {
namespace {

using platform::PowerNotice;
using testing::NoticeRecorder;
using testing::NoticesOf;

constexpr std::chrono::seconds kBound{20};

TEST(SimPower, StartsOnAcWithAFullBatteryAndReportsUnplugging) {
  SimPower power;
  auto status = power.Status();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->acLine, platform::kAcOnline);
  EXPECT_EQ(status->batteryPercent, 100);
  EXPECT_EQ(status->batteryFlag, platform::kBatteryHigh) << "full: not charging";
  EXPECT_EQ(status->batteryLifeTime, -1);

  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);
  EXPECT_TRUE(power.Unplug());
  const auto heard = recorder.WaitFor(1);
  EXPECT_EQ(heard[0].notice, PowerNotice::kStatusChanged);
  ASSERT_TRUE(heard[0].status);
  EXPECT_EQ(heard[0].status->acLine, platform::kAcOffline) << "the status is new when told";
  EXPECT_NE(heard[0].thread, std::this_thread::get_id()) << "delivered on a platform thread";
}

TEST(SimPower, ChargeSetsTheBatteryFlagAndOnlyFlagChangesAreAnnounced) {
  SimPower power;
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);
  // The listener reads the status when told, so each step waits for its notice.
  const auto step = [&](auto action) {
    EXPECT_TRUE(action());
    EXPECT_TRUE(power.WaitDelivered(kBound));
    return recorder.Notices().size();
  };
  EXPECT_EQ(step([&] { return power.Unplug(); }), 1u);
  EXPECT_EQ(step([&] { return power.SetBatteryPercent(80); }), 1u) << "still high";
  EXPECT_EQ(step([&] { return power.SetBatteryPercent(30); }), 2u);
  EXPECT_EQ(step([&] { return power.SetBatteryPercent(4); }), 3u);
  EXPECT_FALSE(power.SetBatteryPercent(101));
  EXPECT_EQ(step([&] { return power.Plug(); }), 4u);
  const auto heard = recorder.WaitFor(4);
  EXPECT_EQ(heard[1].status->batteryFlag, platform::kBatteryLow);
  EXPECT_EQ(heard[2].status->batteryFlag, platform::kBatteryLow | platform::kBatteryCritical);
  EXPECT_EQ(heard[3].status->batteryFlag,
            platform::kBatteryLow | platform::kBatteryCritical | platform::kBatteryCharging);
  EXPECT_EQ(heard[3].status->batteryPercent, 4);
}

class DeviceCounter final : public platform::BatteryListener {
 public:
  void OnBatteryDevicesChanged() override { ++changes; }
  std::atomic<int> changes{0};
};

// The charge follows the machine's clock: the idle draw on battery, the charger's
// power on AC; batteries put in or taken out are announced to the device listeners.
TEST(SimPower, BatteriesDrainChargeAndAnnounceTheirArrivalAndRemoval) {
  uint64_t nowNs = 0;
  SimPower power;
  power.AttachMachine([&nowNs] { return nowNs; }, [] { return 0.0; });
  DeviceCounter devices;
  auto subscription = power.Subscribe(static_cast<platform::BatteryListener&>(devices));
  const std::string first = power.Enumerate().at(0);

  ASSERT_TRUE(power.Unplug());
  nowNs += 3600'000'000'000;  // an hour at 9 W
  auto status = power.Status(first);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->capacity, 46000u - 9000u);
  EXPECT_EQ(status->rate, -9000);
  EXPECT_EQ(status->powerState, platform::kBatteryDischarging);

  ASSERT_TRUE(power.Plug());
  nowNs += 600'000'000'000;  // ten minutes at 30 W
  status = power.Status(first);
  EXPECT_EQ(status->capacity, 37000u + 5000u);
  EXPECT_EQ(status->powerState, platform::kBatteryPowerOnLine | platform::kBatteryChargingState);

  ASSERT_TRUE(power.InsertBattery());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(devices.changes, 1);
  EXPECT_EQ(power.Enumerate().size(), 2u);
  ASSERT_TRUE(power.RemoveBattery());
  ASSERT_TRUE(power.RemoveBattery());
  EXPECT_FALSE(power.RemoveBattery());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(devices.changes, 3);
  EXPECT_FALSE(power.Status(first)) << "a battery taken out cannot be read";
  EXPECT_EQ(power.Status()->batteryFlag, platform::kNoSystemBattery);
}

TEST(SimPower, ActionsThatMakeNoSenseChangeNothing) {
  SimPower power;
  NoticeRecorder recorder;
  auto subscription = power.Subscribe(recorder);
  EXPECT_FALSE(power.Plug());
  EXPECT_FALSE(power.Resume());
  EXPECT_TRUE(power.Suspend());
  EXPECT_FALSE(power.Suspend());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(recorder.Notices(), std::vector{PowerNotice::kSuspending});
}

TEST(SimPower, SleepsOnlyAfterEveryListenerHandledTheSuspend) {
  SimPower power;
  NoticeRecorder recorder;
  std::atomic<bool> asleepDuringNotice{true};
  recorder.onNotice = [&](PowerNotice notice) {
    if (notice == PowerNotice::kSuspending) asleepDuringNotice = power.Asleep();
  };
  auto subscription = power.Subscribe(recorder);
  ASSERT_TRUE(power.Suspend());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_FALSE(asleepDuringNotice) << "the program prepares while the system still runs";
  EXPECT_TRUE(power.Asleep());
  ASSERT_TRUE(power.Resume());
  EXPECT_FALSE(power.Asleep());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(recorder.Notices(), (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
}

TEST(SimPower, ChangesDuringSleepAreAnnouncedAfterTheResume) {
  SimPower power;
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);
  ASSERT_TRUE(power.Suspend());
  ASSERT_TRUE(power.Unplug());
  ASSERT_TRUE(power.SetBatteryPercent(20));
  ASSERT_TRUE(power.Resume());
  const auto heard = recorder.WaitFor(3);
  EXPECT_EQ(NoticesOf(heard), (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed,
                                           PowerNotice::kStatusChanged}));

  // Unplugged and plugged in again while asleep: nothing changed for the program.
  ASSERT_TRUE(power.Plug());
  ASSERT_TRUE(power.Suspend());
  ASSERT_TRUE(power.Unplug());
  ASSERT_TRUE(power.Plug());
  ASSERT_TRUE(power.Resume());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(
      recorder.Notices(),
      (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed, PowerNotice::kStatusChanged,
                   PowerNotice::kStatusChanged, PowerNotice::kSuspending, PowerNotice::kResumed}));
}

TEST(SimPower, EveryListenerHearsEveryNoticeUntilItUnsubscribes) {
  SimPower power;
  NoticeRecorder first, second;
  auto firstSubscription = power.Subscribe(first);
  auto secondSubscription = power.Subscribe(second);
  ASSERT_TRUE(power.Unplug());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  secondSubscription.reset();
  ASSERT_TRUE(power.Plug());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(first.Notices().size(), 2u);
  EXPECT_EQ(second.Notices().size(), 1u);
}

TEST(SimPower, AListenerMayDropASubscriptionInsideADelivery) {
  SimPower power;
  NoticeRecorder first, second;
  std::unique_ptr<platform::PowerSubscription> secondSubscription;
  first.onNotice = [&](PowerNotice) { secondSubscription.reset(); };
  auto firstSubscription = power.Subscribe(first);
  secondSubscription = power.Subscribe(second);
  ASSERT_TRUE(power.Unplug());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(first.Notices().size(), 1u);
  EXPECT_TRUE(second.Notices().empty()) << "dropped before its turn in the same delivery";
}

}  // namespace
}  // namespace pacetta::sim
