#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace pacetta::sim {

struct RequestRecord {
  uint32_t code = 0;
  unsigned processor = 0;  // the processor the calling thread ran on
  bool succeeded = false;
};

// The most recent requests the simulated driver answered, for tests and diagnostics.
// Older entries give way once the cap is reached, so a long run stays small.
class RequestLog {
 public:
  static constexpr size_t kDefaultCapacity = 4096;

  explicit RequestLog(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  void Append(RequestRecord record);
  std::vector<RequestRecord> Entries() const;
  // Entries that gave way to newer ones since the last Clear.
  size_t Dropped() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  size_t capacity_;
  size_t dropped_ = 0;
  std::deque<RequestRecord> entries_;
};

}  // namespace pacetta::sim
