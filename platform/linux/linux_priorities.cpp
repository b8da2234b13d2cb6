#include "platform/linux/linux_priorities.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace pacetta::linux_os {
namespace {

constexpr int kLowestNice = -20;
constexpr int kHighestNice = 19;

pid_t ThisThread() {
  return gettid();
}

// The threads of this process now. Only these ids are ever touched by a request that is not
// the caller's own: an ended thread's id may already name a thread of another process.
std::vector<pid_t> ThreadsOfProcess() {
  std::vector<pid_t> threads;
  std::error_code error;
  for (std::filesystem::directory_iterator entry("/proc/self/task", error), end;
       !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    pid_t tid = 0;
    const auto parsed = std::from_chars(name.data(), name.data() + name.size(), tid);
    if (parsed.ec == std::errc() && parsed.ptr == name.data() + name.size()) {
      threads.push_back(tid);
    }
  }
  return threads;
}

// Linux keeps nice per thread; PRIO_PROCESS with a thread id addresses that thread alone.
std::optional<int> NiceOf(pid_t tid) {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (nice == -1 && errno != 0) return std::nullopt;
  return nice;
}

bool SetNice(pid_t tid, int nice) {
  return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0;
}

// The lowest nice RLIMIT_NICE lets an unprivileged thread take: 20 minus the soft limit
// (setrlimit(2)).
int NiceFloorByLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0) return kHighestNice;
  if (limit.rlim_cur == RLIM_INFINITY) return kLowestNice;
  const int floor = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
  return std::clamp(floor, kLowestNice, kHighestNice);
}

// Takes the thread to the lowest nice it may, never above `ceiling`; returns its nice.
int LowerNiceAsPermitted(pid_t tid, int ceiling) {
  // With CAP_SYS_NICE the first succeeds; otherwise the resource limit decides.
  for (const int wanted : {kLowestNice, NiceFloorByLimit()}) {
    const int nice = std::min(wanted, ceiling);
    if (SetNice(tid, nice)) return nice;
  }
  // Raising nice up to the ceiling is always allowed.
  SetNice(tid, ceiling);
  return NiceOf(tid).value_or(ceiling);
}

// SCHED_FIFO at the preferred priority, or at the RLIMIT_RTPRIO ceiling when that is lower.
// SCHED_RESET_ON_FORK keeps threads and children started from it out of the real-time class.
bool TakeFifo(pid_t tid) {
  std::vector<int> candidates{LinuxPriorities::kTimeCriticalRtPriority};
  rlimit limit{};
  if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0 &&
      limit.rlim_cur < static_cast<rlim_t>(LinuxPriorities::kTimeCriticalRtPriority)) {
    candidates.push_back(static_cast<int>(limit.rlim_cur));
  }
  for (const int priority : candidates) {
    sched_param parameter{};
    parameter.sched_priority = priority;
    if (sched_setscheduler(tid, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameter) == 0) return true;
  }
  return false;
}

bool IsRealTimePolicy(int policy) {
  return policy == SCHED_FIFO || policy == SCHED_RR;
}

}  // namespace

LinuxPriorities::LinuxPriorities() {
  const pid_t self = ThisThread();
  const int policy = sched_getscheduler(self);
  if (policy >= 0) baseline_.policy = policy & ~SCHED_RESET_ON_FORK;
  sched_param parameter{};
  if (sched_getparam(self, &parameter) == 0) baseline_.rtPriority = parameter.sched_priority;
  baseline_.nice = NiceOf(self).value_or(0);
}

LinuxPriorities::~LinuxPriorities() {
  std::lock_guard lock(mutex_);
  if (!processRaised_ && timeCritical_.empty()) return;
  processRaised_ = false;
  for (const pid_t tid : ThreadsOfProcess()) {
    if (timeCritical_.count(tid) != 0) {
      RestoreThreadLocked(tid);
    } else {
      ApplyOrdinaryNiceLocked(tid);
    }
  }
}

int LinuxPriorities::ApplyOrdinaryNiceLocked(pid_t tid) {
  if (processRaised_) return LowerNiceAsPermitted(tid, baseline_.nice);
  SetNice(tid, baseline_.nice);
  return NiceOf(tid).value_or(baseline_.nice);
}

void LinuxPriorities::RestoreThreadLocked(pid_t tid) {
  sched_param parameter{};
  parameter.sched_priority = baseline_.rtPriority;
  // A real-time thread goes back first; nice means nothing until it has.
  sched_setscheduler(tid, baseline_.policy, &parameter);
  ApplyOrdinaryNiceLocked(tid);
}

bool LinuxPriorities::SetProcessPriority(platform::ProcessPriority priority) {
  std::lock_guard lock(mutex_);
  const bool raise = priority == platform::ProcessPriority::kRealtime;
  // Nothing to undo: the threads keep whatever they were given by others.
  if (!raise && !processRaised_) return true;
  processRaised_ = raise;
  const std::vector<pid_t> threads = ThreadsOfProcess();
  // Forget threads that ended while time-critical.
  std::erase_if(timeCritical_, [&](pid_t tid) {
    return std::find(threads.begin(), threads.end(), tid) == threads.end();
  });
  bool granted = true;
  for (const pid_t tid : threads) {
    // A time-critical thread already has more than the class gives.
    if (timeCritical_.count(tid) != 0) continue;
    const int nice = ApplyOrdinaryNiceLocked(tid);
    granted = granted && (processRaised_ ? nice < baseline_.nice || nice == kLowestNice
                                         : nice == baseline_.nice);
  }
  return granted;
}

bool LinuxPriorities::SetThreadPriority(platform::ThreadPriority priority) {
  const pid_t self = ThisThread();
  std::lock_guard lock(mutex_);
  if (priority == platform::ThreadPriority::kNormal) {
    if (timeCritical_.erase(self) != 0) RestoreThreadLocked(self);
    return true;
  }
  timeCritical_.insert(self);
  // A process started real-time already has more than this could give.
  if (IsRealTimePolicy(baseline_.policy)) return true;
  if (TakeFifo(self)) return true;
  NoteFallbackLocked(LowerNiceAsPermitted(self, baseline_.nice));
  return false;
}

void LinuxPriorities::NoteFallbackLocked(int nice) {
  if (noticeGiven_) return;
  noticeGiven_ = true;
  if (nice < baseline_.nice) {
    notice_ =
        "Real-time scheduling is not permitted; management threads run at the highest "
        "normal priority allowed (nice " +
        std::to_string(nice) + ").";
  } else {
    notice_ =
        "Real-time scheduling is not permitted and the priority cannot be raised; management "
        "threads run at normal priority.";
  }
}

std::optional<std::string> LinuxPriorities::TakeNotice() {
  std::lock_guard lock(mutex_);
  return std::exchange(notice_, std::nullopt);
}

}  // namespace pacetta::linux_os
