#include "platform/sim/driver/violation_log.h"

namespace pacetta::sim {

void ViolationLog::Append(Violation violation) {
  if (observer_) observer_(violation);
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(violation));
}

std::vector<Violation> ViolationLog::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

void ViolationLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace pacetta::sim
