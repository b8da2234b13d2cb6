#pragma once
#include <chrono>
#include <functional>
#include <thread>

#include "engine/sync/manual_reset_event.h"

namespace pacetta::management {

// Runs `action` once after `delay` on a thread of its own, unless cancelled first.
// Destruction cancels and joins, so the action never runs after its owner is gone.
class OneShotDelay {
 public:
  OneShotDelay(std::chrono::milliseconds delay, std::function<void()> action)
      : thread_([this, delay, action = std::move(action)] {
          if (!cancelled_.Wait(delay)) action();
        }) {}
  OneShotDelay(const OneShotDelay&) = delete;
  OneShotDelay& operator=(const OneShotDelay&) = delete;
  ~OneShotDelay() {
    cancelled_.Set();
    thread_.join();
  }

 private:
  ManualResetEvent cancelled_;
  std::thread thread_;  // last: starts once the event exists
};

}  // namespace pacetta::management
