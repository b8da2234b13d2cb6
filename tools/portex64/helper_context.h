#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "tools/portex64/hardware_files.h"

namespace pacetta::portex {

// The driver's use count, shared by every connection. Each connection may give back only
// the uses it took, and gives them all back when it ends, so a client that dies cannot
// leave the count too high or push another client's uses out.
class UseCounter {
 public:
  // Applies `change` (-1, 0 or +1) to the connection's `own` uses; the count after the
  // change, or null when the change is refused.
  std::optional<uint32_t> Change(int32_t change, uint32_t& own);
  void ReleaseAll(uint32_t& own);
  uint32_t Count();

 private:
  std::mutex mutex_;
  uint32_t count_ = 0;
};

// What every connection of the helper shares.
struct HelperContext {
  HardwareFiles& hardware;
  UseCounter& uses;
  uint32_t processorControlPort = 0;  // ACPI base + 10h, 0 = none
  pid_t ownerPid = 0;                 // the process that started the helper, 0 = none
  uid_t ownerUid = 0;
  std::function<void()> requestStop;
  // Reports a refused request on the helper's refusal log; empty: not reported.
  std::function<void(const std::string&)> refused;
};

}  // namespace pacetta::portex
