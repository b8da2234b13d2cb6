#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/priorities.h"

namespace pacetta::sim {

// The simulated machine's scheduler: every request is granted and remembered, and the
// host's scheduling is left alone.
class SimPriorities final : public platform::Priorities {
 public:
  bool SetProcessPriority(platform::ProcessPriority priority) override;
  bool SetThreadPriority(platform::ThreadPriority priority) override;

  // The latest request for the process; nullopt before the first.
  std::optional<platform::ProcessPriority> Process();
  // The latest request of each thread that made one.
  std::map<std::thread::id, platform::ThreadPriority> Threads();

 private:
  std::mutex mutex_;  // every management thread asks for itself
  std::optional<platform::ProcessPriority> process_;
  std::map<std::thread::id, platform::ThreadPriority> threads_;
};

}  // namespace pacetta::sim
