#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "engine/sync/manual_reset_event.h"
#include "platform/linux/power_watch.h"
#include "tests/platform_linux/fake_logind.h"
#include "tests/sim_power/notice_recorder.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using platform::PowerNotice;
using testing::FakeLogind;
using testing::kBusBound;
using testing::NoticeRecorder;
using testing::PrivateSystemBus;

constexpr int64_t kSecond = 1'000'000'000;

// The machine's power as the tests see it: an empty power-supply folder (a desktop) and
// a sleep clock the test moves. The thread's own looks are a minute apart unless asked.
class PowerRig {
 public:
  PowerWatchOptions Options(std::chrono::milliseconds interval = std::chrono::seconds(60)) {
    PowerWatchOptions options;
    options.root = supplies_.Path();
    options.pollInterval = interval;
    options.sleptNs = [this]() -> std::optional<int64_t> { return slept.load(); };
    return options;
  }
  std::atomic<int64_t> slept{5 * kSecond};

 private:
  testing::TempFolder supplies_;
};

TEST(LogindSleep, TheSleepWaitsForTheListenersAndTheWakeTakesANewLock) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeLogind logind;
  ASSERT_TRUE(logind.Running());
  PowerRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder;
  ManualResetEvent entered, release;
  std::atomic<bool> heldOnArrival{false};
  recorder.onNotice = [&](PowerNotice notice) {
    if (notice != PowerNotice::kSuspending) return;
    heldOnArrival = logind.LockHeld(0);
    entered.Set();
    release.Wait(kBusBound);
  };
  auto subscription = power.Subscribe(recorder);
  power.PollOnce();  // the sleep clock's baseline

  ASSERT_TRUE(logind.WaitRequests(1));
  const auto request = logind.Requests()[0];
  EXPECT_EQ(request.what, "sleep");
  EXPECT_EQ(request.who, "Tarvello");
  EXPECT_EQ(request.mode, "delay");

  logind.AnnounceSleep(true);
  ASSERT_TRUE(entered.Wait(kBusBound));
  EXPECT_TRUE(heldOnArrival) << "the notice came after the lock was let go";
  EXPECT_TRUE(logind.LockHeld(0)) << "the system may sleep while a listener is busy";
  release.Set();
  EXPECT_TRUE(logind.WaitLockClosed(0));

  // An hour asleep; the poll looks only after the wake was announced.
  rig.slept += 3600 * kSecond;
  logind.AnnounceSleep(false);
  const auto heard = recorder.WaitFor(2);
  EXPECT_EQ(heard[1].notice, PowerNotice::kResumed);
  ASSERT_TRUE(logind.WaitRequests(2));
  EXPECT_TRUE(logind.LockHeld(1));
  power.PollOnce();
  ASSERT_TRUE(power.WaitDelivered(kBusBound));
  EXPECT_EQ(recorder.Notices(), (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
}

TEST(LogindSleep, ALookBeforeTheWakeIsAnnouncedDoesNotResumeTwice) {
  PrivateSystemBus bus;
  FakeLogind logind;
  ASSERT_TRUE(logind.Running());
  PowerRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder;
  auto subscription = power.Subscribe(recorder);
  power.PollOnce();
  ASSERT_TRUE(logind.WaitRequests(1));

  logind.AnnounceSleep(true);
  recorder.WaitFor(1);
  rig.slept += 600 * kSecond;
  power.PollOnce();  // awake again, the manager not yet heard from
  logind.AnnounceSleep(false);
  recorder.WaitFor(2);
  power.PollOnce();
  ASSERT_TRUE(power.WaitDelivered(kBusBound));
  EXPECT_EQ(recorder.Notices(), (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
}

TEST(LogindSleep, WithoutTheManagerTheSleepClockStillTellsOfResumes) {
  testing::TempFolder nowhere;
  for (const bool withBus : {false, true}) {
    SCOPED_TRACE(withBus ? "a bus without a login manager" : "no bus");
    std::optional<PrivateSystemBus> bus;
    std::optional<testing::ScopedEnv> noBus;
    if (withBus) {
      bus.emplace();
    } else {
      noBus.emplace("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + nowhere.File("missing"));
    }
    PowerRig rig;
    LinuxPower power(rig.Options());
    NoticeRecorder recorder;
    auto subscription = power.Subscribe(recorder);
    power.PollOnce();
    rig.slept += 10 * kSecond;
    power.PollOnce();
    EXPECT_EQ(testing::NoticesOf(recorder.WaitFor(1)), std::vector{PowerNotice::kResumed});
  }
}

TEST(LogindSleep, ARefusedLockStillLetsTheAnnouncementsThrough) {
  PrivateSystemBus bus;
  FakeLogind logind(/*grantLocks=*/false);
  ASSERT_TRUE(logind.Running());
  PowerRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder;
  auto subscription = power.Subscribe(recorder);
  ASSERT_TRUE(logind.WaitRequests(1));
  logind.AnnounceSleep(true);
  logind.AnnounceSleep(false);
  EXPECT_EQ(testing::NoticesOf(recorder.WaitFor(2)),
            (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
  EXPECT_TRUE(logind.WaitRequests(2)) << "each wake asks for a lock again";
}

TEST(LogindSleep, ALockIsHeldOnlyWhileSomeoneListens) {
  PrivateSystemBus bus;
  FakeLogind logind;
  ASSERT_TRUE(logind.Running());
  PowerRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder first, second;
  auto one = power.Subscribe(first);
  auto two = power.Subscribe(second);
  ASSERT_TRUE(logind.WaitRequests(1));
  one.reset();
  EXPECT_TRUE(logind.LockHeld(0));
  two.reset();
  EXPECT_TRUE(logind.WaitLockClosed(0));
  auto again = power.Subscribe(first);
  ASSERT_TRUE(logind.WaitRequests(2));
  EXPECT_TRUE(logind.LockHeld(1));
}

TEST(LogindSleep, UnsubscribingWhileASleepWaitsForTheListenerDoesNotDeadlock) {
  PrivateSystemBus bus;
  FakeLogind logind;
  ASSERT_TRUE(logind.Running());
  PowerRig rig;
  LinuxPower power(rig.Options());
  NoticeRecorder recorder;
  ManualResetEvent entered, release, dropped;
  recorder.onNotice = [&](PowerNotice) {
    entered.Set();
    release.Wait(kBusBound);
  };
  auto subscription = power.Subscribe(recorder);
  ASSERT_TRUE(logind.WaitRequests(1));
  logind.AnnounceSleep(true);
  ASSERT_TRUE(entered.Wait(kBusBound));

  std::thread dropper([&] {
    subscription.reset();
    dropped.Set();
  });
  EXPECT_TRUE(logind.LockHeld(0));
  release.Set();
  EXPECT_TRUE(dropped.Wait(kBusBound));
  dropper.join();
  EXPECT_TRUE(logind.WaitLockClosed(0));
  logind.AnnounceSleep(false);  // nobody listens: no new lock
  EXPECT_EQ(recorder.Notices(), std::vector{PowerNotice::kSuspending});
}

TEST(LogindSleep, ABusLostDuringTheSleepLeavesTheResumeToTheSleepClock) {
  PrivateSystemBus bus;
  std::optional<FakeLogind> logind(std::in_place);
  ASSERT_TRUE(logind->Running());
  PowerRig rig;
  LinuxPower power(rig.Options(std::chrono::milliseconds(10)));
  NoticeRecorder recorder;
  auto subscription = power.Subscribe(recorder);
  power.PollOnce();
  ASSERT_TRUE(logind->WaitRequests(1));
  logind->AnnounceSleep(true);
  recorder.WaitFor(1);
  rig.slept += 60 * kSecond;
  logind.reset();
  bus.Stop();
  // The watching thread's own looks find the sleep once the bus is known to be gone.
  EXPECT_EQ(testing::NoticesOf(recorder.WaitFor(2)),
            (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
}

// A socket that takes connections but never answers: every call on it waits.
class SilentSocket {
 public:
  explicit SilentSocket(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = bind(fd_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             listen(fd_.Get(), 4) == 0;
  }
  bool Listening() const { return bound_; }

 private:
  UniqueFd fd_;
  bool bound_ = false;
};

TEST(LogindSleep, ABusThatNeverAnswersDoesNotHoldUpTheStop) {
  testing::TempFolder folder;
  SilentSocket silent(folder.File("bus"));
  ASSERT_TRUE(silent.Listening());
  testing::ScopedEnv address("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder.File("bus"));
  PowerRig rig;
  const auto started = std::chrono::steady_clock::now();
  {
    LinuxPower power(rig.Options());
    NoticeRecorder recorder;
    auto subscription = power.Subscribe(recorder);
    power.PollOnce();
    rig.slept += 10 * kSecond;
    power.PollOnce();
    EXPECT_EQ(testing::NoticesOf(recorder.WaitFor(1)), std::vector{PowerNotice::kResumed});
  }
  // The bus library's own call timeout is 25 s; the stop must not wait for it.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

}  // namespace
}  // namespace pacetta::linux_os
