#include "platform/sim/driver/request_log.h"

namespace pacetta::sim {

void RequestLog::Append(RequestRecord record) {
  std::lock_guard lock(mutex_);
  if (capacity_ == 0) {
    ++dropped_;
    return;
  }
  if (entries_.size() == capacity_) {
    entries_.pop_front();
    ++dropped_;
  }
  entries_.push_back(record);
}

std::vector<RequestRecord> RequestLog::Entries() const {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

size_t RequestLog::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

void RequestLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
  dropped_ = 0;
}

}  // namespace pacetta::sim
