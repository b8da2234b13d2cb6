#pragma once
#include <functional>
#include <mutex>

namespace pacetta {

// Carries "close the program" from a signal thread to whichever front end is running.
// Requests that come before a front end is attached are kept and delivered on attach.
class CloseRequest {
 public:
  void Attach(std::function<void()> close) {
    std::lock_guard lock(mutex_);
    close_ = std::move(close);
    if (pending_ && close_) close_();
  }
  void Detach() {
    std::lock_guard lock(mutex_);
    close_ = nullptr;
  }
  void Request() {
    std::lock_guard lock(mutex_);
    pending_ = true;
    if (close_) close_();
  }
  bool Requested() const {
    std::lock_guard lock(mutex_);
    return pending_;
  }

 private:
  mutable std::mutex mutex_;
  std::function<void()> close_;
  bool pending_ = false;
};

}  // namespace pacetta
