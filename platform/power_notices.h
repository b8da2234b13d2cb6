#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/power.h"

namespace pacetta::platform {

struct PowerNoticeListeners;

// Delivers power notices to the subscribed listeners on a thread of its own, one at a
// time and in the order they were posted, so a backend can post from wherever it
// learns of an event. The thread starts with the first notice.
class PowerNoticeQueue {
 public:
  PowerNoticeQueue();
  // Notices not yet delivered are dropped.
  ~PowerNoticeQueue();
  PowerNoticeQueue(const PowerNoticeQueue&) = delete;
  PowerNoticeQueue& operator=(const PowerNoticeQueue&) = delete;

  std::unique_ptr<PowerSubscription> Subscribe(PowerListener& listener);
  // Queues `notice` for every listener; `afterDelivery` runs on the delivering thread
  // once every listener has returned (a suspend completes only then).
  void Post(PowerNotice notice, std::function<void()> afterDelivery = {});
  // True once every notice posted so far has been delivered, within `timeout`.
  bool WaitDelivered(std::chrono::milliseconds timeout);

 private:
  struct Pending {
    PowerNotice notice;
    std::function<void()> afterDelivery;
  };

  void Deliver(std::stop_token stop);

  std::shared_ptr<PowerNoticeListeners> listeners_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Pending> pending_;
  uint64_t posted_ = 0;
  uint64_t delivered_ = 0;
  std::jthread thread_;
};

}  // namespace pacetta::platform
