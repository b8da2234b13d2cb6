#include "platform/linux/power_watch.h"

#include <time.h>

namespace pacetta::linux_os {
namespace {

std::optional<int64_t> Nanoseconds(clockid_t clock) {
  timespec now{};
  if (clock_gettime(clock, &now) != 0) return std::nullopt;
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// CLOCK_BOOTTIME counts the time suspended, CLOCK_MONOTONIC does not; both are slewed
// alike, so their difference moves only across a suspend.
std::optional<int64_t> SystemSleptNs() {
  const auto boot = Nanoseconds(CLOCK_BOOTTIME);
  const auto monotonic = Nanoseconds(CLOCK_MONOTONIC);
  if (!boot || !monotonic) return std::nullopt;
  return *boot - *monotonic;
}

bool SameSource(const platform::PowerStatus& a, const platform::PowerStatus& b) {
  return a.acLine == b.acLine && a.batteryFlag == b.batteryFlag;
}

}  // namespace

LinuxPower::LinuxPower(PowerWatchOptions options) : options_(std::move(options)) {
  if (!options_.sleptNs) options_.sleptNs = SystemSleptNs;
  if (options_.pollInterval <= std::chrono::milliseconds(0)) {
    options_.pollInterval = PowerWatchOptions{}.pollInterval;
  }
}

LinuxPower::~LinuxPower() {
  if (thread_.joinable()) {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
  }
}

std::optional<platform::PowerStatus> LinuxPower::Status() {
  return ReadPowerSupplies(options_.root);
}

std::unique_ptr<platform::PowerSubscription> LinuxPower::Subscribe(
    platform::PowerListener& listener) {
  auto subscription = notices_.Subscribe(listener);
  std::lock_guard lock(threadMutex_);
  if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
  return subscription;
}

void LinuxPower::PollOnce() {
  std::lock_guard lock(pollMutex_);
  const auto slept = options_.sleptNs();
  const auto status = Status();
  if (looked_) {
    if (slept && lastSlept_ &&
        *slept - *lastSlept_ >=
            std::chrono::duration_cast<std::chrono::nanoseconds>(options_.shortestSleep).count()) {
      notices_.Post(platform::PowerNotice::kResumed);
    }
    if (status && lastStatus_ && !SameSource(*status, *lastStatus_)) {
      notices_.Post(platform::PowerNotice::kStatusChanged);
    }
  }
  looked_ = true;
  // A failed look keeps the last good values to compare the next one with.
  if (slept) lastSlept_ = slept;
  if (status) lastStatus_ = status;
}

void LinuxPower::Watch(std::stop_token stop) {
  std::unique_lock lock(threadMutex_);
  while (!stop.stop_requested()) {
    lock.unlock();
    PollOnce();
    lock.lock();
    wake_.wait_for(lock, stop, options_.pollInterval, [] { return false; });
  }
}

}  // namespace pacetta::linux_os
