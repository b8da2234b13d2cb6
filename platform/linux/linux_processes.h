#pragma once
#include <sys/types.h>

#include <mutex>

#include "platform/processes.h"

namespace pacetta::linux_os {

// Children started with posix_spawn. The stop channel is a pipe on the child's standard
// input: closing our end (or our death) gives the child end of file.
class LinuxProcesses final : public platform::Processes {
 public:
  std::unique_ptr<platform::SupervisedProcess> StartSupervised(
      const platform::ProcessLaunch& launch) override;
};

class LinuxSupervisedProcess final : public platform::SupervisedProcess {
 public:
  // Takes ownership of `stopFd` (our end of the stop pipe) and `pidFd` (may be -1).
  LinuxSupervisedProcess(pid_t pid, int stopFd, int pidFd);
  ~LinuxSupervisedProcess() override;
  LinuxSupervisedProcess(const LinuxSupervisedProcess&) = delete;
  LinuxSupervisedProcess& operator=(const LinuxSupervisedProcess&) = delete;

  int32_t Id() const override { return pid_; }
  bool SetAffinity(uint64_t mask) override;
  bool IsRunning() override;
  std::optional<platform::ProcessTimes> Times() override;
  void SignalStop() override;
  bool WaitForExit(std::chrono::milliseconds timeout) override;
  void Kill() override;

 private:
  // Collects the child if it has ended; call with the lock held.
  void CollectIfEndedLocked();

  const pid_t pid_;
  int pidFd_;
  std::mutex mutex_;  // the monitoring threads read the times while the main thread supervises
  int stopFd_;
  bool collected_ = false;
  std::optional<platform::ProcessTimes> lastTimes_;
};

// Kernel and user time of a running process from /proc/<pid>/stat.
std::optional<platform::ProcessTimes> ReadProcessTimes(pid_t pid);

}  // namespace pacetta::linux_os
