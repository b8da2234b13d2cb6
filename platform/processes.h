#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// Processor time a process has consumed, in 100-ns units.
struct ProcessTimes {
  int64_t kernel = 0;
  int64_t user = 0;
};

// What a supervised child is started with.
struct ProcessLaunch {
  std::string path;
  std::vector<std::string> arguments;
  // Run at the lowest scheduling class, so that it never takes time from real work.
  bool idlePriority = false;
};

// A child process that this program supervises. It holds a stop channel open for the
// child: the child ends when the channel closes, which also happens when this program
// dies. Destroying the object ends a child that still runs and collects it.
class SupervisedProcess {
 public:
  virtual ~SupervisedProcess() = default;
  virtual int32_t Id() const = 0;
  // Restricts the process to the processors of `mask`; false when refused.
  virtual bool SetAffinity(uint64_t mask) = 0;
  // False once the process has ended (or cannot be asked any more).
  virtual bool IsRunning() = 0;
  // Kernel and user time so far; the final times once it has ended. Nullopt when never
  // readable.
  virtual std::optional<ProcessTimes> Times() = 0;
  // Closes the stop channel: a well-behaved child ends soon after.
  virtual void SignalStop() = 0;
  // True when the process has ended within `timeout`.
  virtual bool WaitForExit(std::chrono::milliseconds timeout) = 0;
  // Ends the process at once.
  virtual void Kill() = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Null when the program could not be started (missing file, no resources).
  virtual std::unique_ptr<SupervisedProcess> StartSupervised(const ProcessLaunch& launch) = 0;
};

}  // namespace pacetta::platform
