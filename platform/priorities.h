#pragma once

namespace pacetta::platform {

// Scheduling classes the management engine asks for while a managed profile is active.
enum class ProcessPriority { kNormal, kRealtime };
enum class ThreadPriority { kNormal, kTimeCritical };

// Process priority class and the calling thread's priority. A backend that may not raise
// them (no privilege) answers false and leaves them as they are.
class Priorities {
 public:
  virtual ~Priorities() = default;
  virtual bool SetProcessPriority(ProcessPriority priority) = 0;
  // Of the calling thread.
  virtual bool SetThreadPriority(ThreadPriority priority) = 0;
};

}  // namespace pacetta::platform
