#pragma once
#include <sys/types.h>

#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/priorities.h"

namespace pacetta::linux_os {

// Linux has no priority class; the engine's two requests map onto the scheduler thus:
//  - a time-critical thread runs SCHED_FIFO at kTimeCriticalRtPriority (or the lower
//    priority RLIMIT_RTPRIO allows). Refused that, it takes the lowest nice the process
//    may (CAP_SYS_NICE: -20, else 20 - RLIMIT_NICE), never above where it started.
//  - the real-time process class lowers the nice of every other thread of the process the
//    same way. The whole process never runs SCHED_FIFO: a busy user-interface or sampling
//    thread at a real-time priority could starve the machine.
// Normal puts back the scheduling the process started with (read at construction, on the
// main thread). Every change is made per thread, by its id, as Linux keeps nice and
// policy per thread.
class LinuxPriorities final : public platform::Priorities {
 public:
  // Below the threaded interrupt handlers (50) and the kernel's own per-processor threads
  // (99): a management period never delays a device, yet preempts all normal work.
  static constexpr int kTimeCriticalRtPriority = 49;

  LinuxPriorities();
  // Puts back whatever is still raised on the threads that remain.
  ~LinuxPriorities() override;
  LinuxPriorities(const LinuxPriorities&) = delete;
  LinuxPriorities& operator=(const LinuxPriorities&) = delete;

  bool SetProcessPriority(platform::ProcessPriority priority) override;
  bool SetThreadPriority(platform::ThreadPriority priority) override;
  std::optional<std::string> TakeNotice() override;

 private:
  struct Baseline {
    int policy = 0;
    int rtPriority = 0;
    int nice = 0;
  };

  // Gives a thread that is not time-critical the nice the process class asks for;
  // returns the nice it now has.
  int ApplyOrdinaryNiceLocked(pid_t tid);
  // Takes a time-critical thread back to the process's policy and class.
  void RestoreThreadLocked(pid_t tid);
  void NoteFallbackLocked(int nice);

  Baseline baseline_;
  std::mutex mutex_;  // the management threads ask at the same time
  bool processRaised_ = false;
  std::set<pid_t> timeCritical_;  // threads that asked for it and have not gone back
  bool noticeGiven_ = false;
  std::optional<std::string> notice_;
};

}  // namespace pacetta::linux_os
