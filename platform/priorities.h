#pragma once
#include <optional>
#include <string>

namespace pacetta::platform {

// Scheduling classes the management engine asks for while a managed profile is active.
enum class ProcessPriority { kNormal, kRealtime };
enum class ThreadPriority { kNormal, kTimeCritical };

// Process priority class and the calling thread's priority. A backend that may not grant
// a request in full (no privilege) takes the nearest lower setting it may, or leaves things
// as they are, and answers false; it never fails otherwise.
class Priorities {
 public:
  virtual ~Priorities() = default;
  virtual bool SetProcessPriority(ProcessPriority priority) = 0;
  // Of the calling thread.
  virtual bool SetThreadPriority(ThreadPriority priority) = 0;
  // A message for the user about a request that could not be granted, given once: the
  // first call after it arose returns it, every later call nullopt.
  virtual std::optional<std::string> TakeNotice() { return std::nullopt; }
};

}  // namespace pacetta::platform
