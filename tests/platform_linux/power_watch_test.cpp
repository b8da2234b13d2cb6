#include "platform/linux/power_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "tests/sim_power/notice_recorder.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using platform::PowerNotice;
using testing::NoticeRecorder;

constexpr int64_t kSecond = 1'000'000'000;
constexpr std::chrono::seconds kBound{20};

// A laptop's adapter and battery in a fake power-supply folder, with the time the
// machine has slept kept by the test.
class WatchRig {
 public:
  WatchRig() {
    std::filesystem::create_directories(root_.File("AC"));
    std::filesystem::create_directories(root_.File("BAT0"));
    std::ofstream(root_.File("AC/type")) << "Mains\n";
    std::ofstream(root_.File("BAT0/type")) << "Battery\n";
    SetAdapter(true);
    SetCapacity(90);
  }
  void SetAdapter(bool online) {
    Write("AC/online", online ? "1\n" : "0\n");
    Write("BAT0/status", online ? "Full\n" : "Discharging\n");
  }
  void SetCapacity(int percent) { Write("BAT0/capacity", std::to_string(percent) + "\n"); }
  PowerWatchOptions Options(std::chrono::milliseconds interval = std::chrono::seconds(60)) {
    PowerWatchOptions options;
    options.root = root_.Path();
    options.pollInterval = interval;
    options.watchLogind = false;  // the machine's own bus has no say in these tests
    options.sleptNs = [this]() -> std::optional<int64_t> {
      if (sleptFails) return std::nullopt;
      return slept.load();
    };
    return options;
  }

  std::atomic<int64_t> slept{5 * kSecond};
  std::atomic<bool> sleptFails{false};

 private:
  // A sysfs attribute never reads half-written: the watching thread may look at any
  // moment, so a value is put in place whole.
  void Write(const std::string& name, const std::string& text) {
    const auto path = root_.File(name);
    const auto fresh = path + ".new";
    std::ofstream(fresh) << text;
    std::filesystem::rename(fresh, path);
  }

  testing::TempFolder root_;
};

TEST(LinuxPower, ReportsSourceChangesAndResumesFromItsLooks) {
  WatchRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder(&power);
  // Subscribing starts the thread, whose first look happens with a long interval after
  // it; the looks below are the test's own.
  auto subscription = power.Subscribe(recorder);
  ASSERT_TRUE(power.WaitDelivered(kBound));

  power.PollOnce();  // nothing changed (or the baseline)
  rig.SetCapacity(85);
  power.PollOnce();
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_TRUE(recorder.Notices().empty()) << "a charge within the same flag is no change";

  rig.SetAdapter(false);
  power.PollOnce();
  auto heard = recorder.WaitFor(1);
  EXPECT_EQ(heard[0].notice, PowerNotice::kStatusChanged);
  EXPECT_EQ(heard[0].status->acLine, platform::kAcOffline);

  // Asleep for an hour, woken on the adapter again: the resume comes first.
  rig.slept += 3600 * kSecond;
  rig.SetAdapter(true);
  power.PollOnce();
  heard = recorder.WaitFor(3);
  EXPECT_EQ(heard[1].notice, PowerNotice::kResumed);
  EXPECT_EQ(heard[2].notice, PowerNotice::kStatusChanged);
  EXPECT_EQ(heard[2].status->acLine, platform::kAcOnline);
}

TEST(LinuxPower, OnlyARealGapOfTheSleepClockIsAResume) {
  WatchRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder;
  auto subscription = power.Subscribe(recorder);
  power.PollOnce();
  rig.slept += 1'000'000;  // a millisecond of jitter between the two clocks
  power.PollOnce();
  rig.sleptFails = true;
  rig.slept += 10 * kSecond;
  power.PollOnce();  // no reading: nothing to compare
  rig.sleptFails = false;
  power.PollOnce();  // against the last good reading: a resume
  power.PollOnce();
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(recorder.Notices(), std::vector{PowerNotice::kResumed});
}

TEST(LinuxPower, TheWatchingThreadFindsAnUnplug) {
  WatchRig rig;
  LinuxPower power(rig.Options(std::chrono::milliseconds(10)));
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);
  power.PollOnce();  // the adapter is in, whichever look came first
  rig.SetAdapter(false);
  const auto heard = recorder.WaitFor(1);
  EXPECT_EQ(heard[0].notice, PowerNotice::kStatusChanged);
  EXPECT_EQ(heard[0].status->acLine, platform::kAcOffline);
}

}  // namespace
}  // namespace pacetta::linux_os
