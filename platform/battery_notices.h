#pragma once
#include <chrono>
#include <memory>

#include "platform/batteries.h"
#include "platform/power_notices.h"

namespace pacetta::platform {

// Delivers battery arrival and removal notices on a thread of its own, in order, with
// the same guarantees as the power notices (it is built on their queue).
class BatteryNoticeQueue {
 public:
  std::unique_ptr<BatterySubscription> Subscribe(BatteryListener& listener);
  void PostDevicesChanged();
  bool WaitDelivered(std::chrono::milliseconds timeout) { return queue_.WaitDelivered(timeout); }

 private:
  PowerNoticeQueue queue_;
};

}  // namespace pacetta::platform
