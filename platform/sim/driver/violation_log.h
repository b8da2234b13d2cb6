#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pacetta::sim {

// Something the program did that the real hardware or driver would punish: a refused
// transition, a forbidden request. Tests read the log to prove the program never does it.
struct Violation {
  unsigned processor = 0;
  uint32_t index = 0;  // register index, or the request code of a refused request
  uint64_t value = 0;
  std::string reason;
};

// Appended to by register models and the device from any thread.
class ViolationLog {
 public:
  // `observer` sees every violation as it is appended, on the appending thread (the
  // register trace puts it on the line of the access that caused it).
  explicit ViolationLog(std::function<void(const Violation&)> observer = nullptr)
      : observer_(std::move(observer)) {}

  void Append(Violation violation);
  std::vector<Violation> Entries() const;
  void Clear();

 private:
  const std::function<void(const Violation&)> observer_;
  mutable std::mutex mutex_;
  std::vector<Violation> entries_;
};

}  // namespace pacetta::sim
