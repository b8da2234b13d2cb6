// The scheduler really changes: the tests read back policy, real-time priority and nice of
// each thread. Whether real-time is granted depends on where they run (root with
// CAP_SYS_NICE, a real-time limit, or neither), so each test asks the system first and
// checks the path that applies; the fallback is also forced in a child without privilege.
#include "platform/linux/linux_priorities.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

namespace pacetta::linux_os {
namespace {

using platform::ProcessPriority;
using platform::ThreadPriority;

struct Scheduling {
  int policy = -1;
  int rtPriority = -1;
  int nice = 99;
};

Scheduling SchedulingOf(pid_t tid) {
  Scheduling now;
  const int policy = sched_getscheduler(tid);
  now.policy = policy < 0 ? policy : policy & ~SCHED_RESET_ON_FORK;
  sched_param parameter{};
  if (sched_getparam(tid, &parameter) == 0) now.rtPriority = parameter.sched_priority;
  errno = 0;
  now.nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  return now;
}

// Runs `body` on a thread of its own, so that a failed check never leaves the test runner
// at a changed priority.
void OnOwnThread(const std::function<void()>& body) {
  std::thread(body).join();
}

bool RealTimePermitted() {
  bool permitted = false;
  OnOwnThread([&] {
    sched_param parameter{};
    parameter.sched_priority = 1;
    permitted = sched_setscheduler(0, SCHED_FIFO, &parameter) == 0;
    parameter.sched_priority = 0;
    if (permitted) sched_setscheduler(0, SCHED_OTHER, &parameter);
  });
  return permitted;
}

// The lowest nice a thread starting at `start` may take here.
int ExpectedRaisedNice(int start) {
  bool anyNice = false;
  OnOwnThread([&] {
    anyNice = setpriority(PRIO_PROCESS, 0, -20) == 0;
    if (anyNice) setpriority(PRIO_PROCESS, 0, start);
  });
  if (anyNice) return -20;
  rlimit limit{};
  getrlimit(RLIMIT_NICE, &limit);
  if (limit.rlim_cur == RLIM_INFINITY) return -20;
  return std::min(start, 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)));
}

// A thread that waits until released, so that its scheduling can be read from outside.
class ParkedThread {
 public:
  ParkedThread()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          tid_ = gettid();
          changed_.notify_all();
          changed_.wait(lock, [this] { return released_; });
        }) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tid_ != 0; });
  }
  ~ParkedThread() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  pid_t Tid() const { return tid_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  pid_t tid_ = 0;
  bool released_ = false;
  std::thread thread_;
};

TEST(LinuxPriorities, TimeCriticalTakesRealTimeOrTheBestNiceAndNormalGoesBack) {
  const bool realTime = RealTimePermitted();
  LinuxPriorities priorities;
  OnOwnThread([&] {
    const pid_t self = gettid();
    const Scheduling before = SchedulingOf(self);
    const int expectedNice = ExpectedRaisedNice(before.nice);

    EXPECT_EQ(priorities.SetThreadPriority(ThreadPriority::kTimeCritical), realTime);
    const Scheduling raised = SchedulingOf(self);
    if (realTime) {
      EXPECT_EQ(raised.policy, SCHED_FIFO);
      EXPECT_GT(raised.rtPriority, 0);
      EXPECT_LE(raised.rtPriority, LinuxPriorities::kTimeCriticalRtPriority);
      EXPECT_LT(raised.rtPriority, sched_get_priority_max(SCHED_FIFO));
      EXPECT_FALSE(priorities.TakeNotice());
    } else {
      EXPECT_EQ(raised.policy, before.policy);
      EXPECT_EQ(raised.nice, expectedNice);
      const auto notice = priorities.TakeNotice();
      ASSERT_TRUE(notice);
      EXPECT_NE(notice->find("not permitted"), std::string::npos);
      EXPECT_FALSE(priorities.TakeNotice());
    }

    EXPECT_TRUE(priorities.SetThreadPriority(ThreadPriority::kNormal));
    const Scheduling after = SchedulingOf(self);
    EXPECT_EQ(after.policy, before.policy);
    EXPECT_EQ(after.rtPriority, before.rtPriority);
    EXPECT_EQ(after.nice, before.nice);
  });
}

TEST(LinuxPriorities, RealTimeClassRaisesEveryThreadButNeverToRealTimeScheduling) {
  LinuxPriorities priorities;
  ParkedThread other;
  const Scheduling before = SchedulingOf(other.Tid());
  const int expectedNice = ExpectedRaisedNice(before.nice);

  priorities.SetProcessPriority(ProcessPriority::kRealtime);
  const Scheduling raised = SchedulingOf(other.Tid());
  const Scheduling mainRaised = SchedulingOf(gettid());
  // Put back before checking, so that a failure leaves the runner as it was.
  EXPECT_TRUE(priorities.SetProcessPriority(ProcessPriority::kNormal));
  const Scheduling after = SchedulingOf(other.Tid());

  EXPECT_EQ(raised.policy, before.policy);
  EXPECT_EQ(raised.nice, expectedNice);
  EXPECT_EQ(mainRaised.nice, expectedNice);
  EXPECT_EQ(after.policy, before.policy);
  EXPECT_EQ(after.nice, before.nice);
  EXPECT_EQ(SchedulingOf(gettid()).nice, before.nice);
}

TEST(LinuxPriorities, TimeCriticalThreadKeepsItsRaiseWhenTheClassGoesBackFirst) {
  // The engine raises the class before the threads and lowers it before them too.
  const bool realTime = RealTimePermitted();
  LinuxPriorities priorities;
  OnOwnThread([&] {
    const pid_t self = gettid();
    const Scheduling before = SchedulingOf(self);
    const int expectedNice = ExpectedRaisedNice(before.nice);
    priorities.SetProcessPriority(ProcessPriority::kRealtime);
    priorities.SetThreadPriority(ThreadPriority::kTimeCritical);
    const Scheduling critical = SchedulingOf(self);
    priorities.SetProcessPriority(ProcessPriority::kNormal);
    const Scheduling stillCritical = SchedulingOf(self);
    priorities.SetThreadPriority(ThreadPriority::kNormal);
    const Scheduling after = SchedulingOf(self);

    EXPECT_EQ(stillCritical.policy, critical.policy);
    EXPECT_EQ(stillCritical.rtPriority, critical.rtPriority);
    if (realTime) {
      EXPECT_EQ(stillCritical.policy, SCHED_FIFO);
    } else {
      EXPECT_EQ(stillCritical.nice, expectedNice);
    }
    EXPECT_EQ(after.policy, before.policy);
    EXPECT_EQ(after.nice, before.nice);
  });
}

// In a child that may not schedule real-time and may go at most to nice -5 (a root test run
// drops to an ordinary user first): each step that fails exits with its own code.
[[noreturn]] void RunWithoutRealTime() {
  const auto fail = [](int code, const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::_Exit(code);
  };
  rlimit none{0, 0};
  if (setrlimit(RLIMIT_RTPRIO, &none) != 0) fail(2, "cannot lower RLIMIT_RTPRIO");
  if (geteuid() == 0) {
    // Down to nice -5, as far as the hard limit lets (raising it needs CAP_SYS_RESOURCE).
    rlimit nice{};
    getrlimit(RLIMIT_NICE, &nice);
    nice.rlim_cur = std::min<rlim_t>(25, nice.rlim_max);
    if (setrlimit(RLIMIT_NICE, &nice) != 0) fail(2, "cannot set RLIMIT_NICE");
    if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) {
      fail(2, "cannot drop to an ordinary user");
    }
  }
  const int start = SchedulingOf(gettid()).nice;
  const int expectedNice = ExpectedRaisedNice(start);
  LinuxPriorities priorities;
  bool secondThreadGranted = true;
  std::optional<std::string> noticeAfterSecond;
  Scheduling raised, after;
  std::thread([&] {
    if (priorities.SetThreadPriority(ThreadPriority::kTimeCritical)) fail(3, "reported as granted");
    raised = SchedulingOf(gettid());
    priorities.SetThreadPriority(ThreadPriority::kNormal);
    after = SchedulingOf(gettid());
  }).join();
  const auto notice = priorities.TakeNotice();
  std::thread([&] {
    secondThreadGranted = priorities.SetThreadPriority(ThreadPriority::kTimeCritical);
    noticeAfterSecond = priorities.TakeNotice();
    priorities.SetThreadPriority(ThreadPriority::kNormal);
  }).join();

  if (raised.policy != SCHED_OTHER) fail(4, "policy changed without permission");
  if (raised.nice != expectedNice) fail(5, "nice not lowered as far as permitted");
  if (after.nice != start) fail(6, "nice not put back");
  if (!notice) fail(7, "no notice");
  if (secondThreadGranted || noticeAfterSecond) fail(8, "a second notice or a grant");
  std::_Exit(0);
}

TEST(LinuxPriorities, WithoutPermissionTheFallbackIsTakenWithOneNotice) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunWithoutRealTime(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pacetta::linux_os
