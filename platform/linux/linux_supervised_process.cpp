#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/linux/linux_processes.h"

namespace pacetta::linux_os {
namespace {

constexpr int64_t kHundredNsPerSecond = 10'000'000;

int64_t FromTimeval(const timeval& value) {
  return static_cast<int64_t>(value.tv_sec) * kHundredNsPerSecond + value.tv_usec * 10;
}

}  // namespace

std::optional<platform::ProcessTimes> ReadProcessTimes(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  // The command name may hold blanks and parentheses; the fields start after the last ')'.
  const auto close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 1));
  // Fields 3 to 13 precede utime (14) and stime (15), in clock ticks (proc(5)).
  std::string skipped;
  for (int field = 3; field <= 13; ++field) fields >> skipped;
  int64_t userTicks = 0, kernelTicks = 0;
  if (!(fields >> userTicks >> kernelTicks)) return std::nullopt;
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  if (ticksPerSecond <= 0) return std::nullopt;
  return platform::ProcessTimes{kernelTicks * kHundredNsPerSecond / ticksPerSecond,
                                userTicks * kHundredNsPerSecond / ticksPerSecond};
}

LinuxSupervisedProcess::LinuxSupervisedProcess(pid_t pid, int stopFd, int pidFd)
    : pid_(pid), pidFd_(pidFd), stopFd_(stopFd) {}

LinuxSupervisedProcess::~LinuxSupervisedProcess() {
  SignalStop();
  {
    std::lock_guard lock(mutex_);
    CollectIfEndedLocked();
    if (!collected_) {
      // Never leave a helper behind: end it and collect it.
      kill(pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
      collected_ = true;
    }
  }
  if (pidFd_ >= 0) close(pidFd_);
}

bool LinuxSupervisedProcess::SetAffinity(uint64_t mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (unsigned bit = 0; bit < 64; ++bit) {
    if (mask & (uint64_t{1} << bit)) CPU_SET(bit, &set);
  }
  std::lock_guard lock(mutex_);
  if (collected_) return false;
  return sched_setaffinity(pid_, sizeof(set), &set) == 0;
}

void LinuxSupervisedProcess::CollectIfEndedLocked() {
  if (collected_) return;
  int status = 0;
  rusage usage{};
  const pid_t result = wait4(pid_, &status, WNOHANG, &usage);
  if (result == pid_) {
    collected_ = true;
    lastTimes_ = platform::ProcessTimes{FromTimeval(usage.ru_stime), FromTimeval(usage.ru_utime)};
  } else if (result < 0 && errno == ECHILD) {
    // Someone else collected it (children ignored); the last reading stays.
    collected_ = true;
  }
}

bool LinuxSupervisedProcess::IsRunning() {
  std::lock_guard lock(mutex_);
  CollectIfEndedLocked();
  return !collected_;
}

std::optional<platform::ProcessTimes> LinuxSupervisedProcess::Times() {
  std::lock_guard lock(mutex_);
  CollectIfEndedLocked();
  if (!collected_) {
    // A failed read (the process ending right now) keeps the last good value.
    if (auto times = ReadProcessTimes(pid_)) lastTimes_ = times;
  }
  return lastTimes_;
}

void LinuxSupervisedProcess::SignalStop() {
  std::lock_guard lock(mutex_);
  if (stopFd_ >= 0) {
    close(stopFd_);
    stopFd_ = -1;
  }
}

bool LinuxSupervisedProcess::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      CollectIfEndedLocked();
      if (collected_) return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (pidFd_ >= 0) {
      // The process descriptor turns readable when the child ends.
      pollfd watch{pidFd_, POLLIN, 0};
      poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count(), 1'000'000)));
    } else {
      // Kernels before 5.3 have no process descriptor: look again shortly.
      std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(10)));
    }
  }
}

void LinuxSupervisedProcess::Kill() {
  std::lock_guard lock(mutex_);
  // Not yet collected, so the number is still this child's.
  if (!collected_) kill(pid_, SIGKILL);
}

}  // namespace pacetta::linux_os
