#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pacetta {

// An event that stays set until it is reset, releasing every waiter meanwhile: the
// engine's stand-in for the operating system's manual-reset event. The lock inside is
// the primitive's own; the engine's logic sees only Set, Reset, Wait and IsSet.
class ManualResetEvent {
 public:
  explicit ManualResetEvent(bool initiallySet = false) : set_(initiallySet) {}
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set() {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
  }
  bool IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
  }
  // Waits without limit until the event is set.
  void Wait() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return set_; });
  }
  // True when the event is (or becomes) set within `timeout`.
  template <class Rep, class Period>
  bool Wait(std::chrono::duration<Rep, Period> timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return set_; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_;
};

}  // namespace pacetta
