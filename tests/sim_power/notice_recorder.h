#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/power.h"

namespace pacetta::testing {

// What a platform delivered, in order, with what the listener saw when it arrived.
struct Heard {
  platform::PowerNotice notice;
  std::optional<platform::PowerStatus> status;
  std::thread::id thread;
};

// A listener that keeps every notice and lets the test wait for the n-th one.
class NoticeRecorder final : public platform::PowerListener {
 public:
  explicit NoticeRecorder(platform::Power* power = nullptr) : power_(power) {}

  void OnPowerNotice(platform::PowerNotice notice) override {
    Heard heard{notice, power_ ? power_->Status() : std::nullopt, std::this_thread::get_id()};
    if (onNotice) onNotice(notice);
    std::lock_guard lock(mutex_);
    heard_.push_back(heard);
    arrived_.notify_all();
  }

  // The notices once there are at least `count` of them; a generous bound keeps a
  // missing one from hanging the test.
  std::vector<Heard> WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    const bool arrived =
        arrived_.wait_for(lock, std::chrono::seconds(20), [&] { return heard_.size() >= count; });
    EXPECT_TRUE(arrived) << "only " << heard_.size() << " of " << count << " notices arrived";
    return heard_;
  }
  std::vector<platform::PowerNotice> Notices() {
    std::lock_guard lock(mutex_);
    std::vector<platform::PowerNotice> notices;
    for (const auto& heard : heard_) notices.push_back(heard.notice);
    return notices;
  }

  // Runs inside the delivery, before the notice is recorded.
  std::function<void(platform::PowerNotice)> onNotice;

 private:
  platform::Power* power_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Heard> heard_;
};

inline std::vector<platform::PowerNotice> NoticesOf(const std::vector<Heard>& heard) {
  std::vector<platform::PowerNotice> notices;
  for (const auto& h : heard) notices.push_back(h.notice);
  return notices;
}

}  // namespace pacetta::testing
