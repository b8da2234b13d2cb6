#include "platform/sim/pc/sim_priorities.h"

namespace pacetta::sim {

bool SimPriorities::SetProcessPriority(platform::ProcessPriority priority) {
  std::lock_guard lock(mutex_);
  process_ = priority;
  return true;
}

bool SimPriorities::SetThreadPriority(platform::ThreadPriority priority) {
  std::lock_guard lock(mutex_);
  threads_[std::this_thread::get_id()] = priority;
  return true;
}

std::optional<platform::ProcessPriority> SimPriorities::Process() {
  std::lock_guard lock(mutex_);
  return process_;
}

std::map<std::thread::id, platform::ThreadPriority> SimPriorities::Threads() {
  std::lock_guard lock(mutex_);
  return threads_;
}

}  // namespace pacetta::sim
