#include "platform/sim/session/sim_user_session.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace pacetta::sim {
namespace {

// How long the waker trusts the clock not to jump: a hand-moved clock is noticed within
// this much real time.
constexpr std::chrono::milliseconds kLongestLook{20};

}  // namespace

SimUserSession::SimUserSession(std::shared_ptr<SimClock> clock, uint64_t startNs, SimPower& power,
                               PowerRequestLog log)
    : clock_(std::move(clock)),
      startNs_(startNs),
      power_(power),
      lastInputNs_(startNs),
      log_(std::move(log)) {}

std::vector<std::string> SimUserSession::RunningProgramNames(size_t limit) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names(kDesktopPrograms.begin(), kDesktopPrograms.end());
  names.insert(names.end(), programs_.begin(), programs_.end());
  if (names.size() > limit) names.resize(limit);
  return names;
}

std::optional<uint32_t> SimUserSession::IdleMilliseconds() {
  const uint64_t nowNs = clock_->NowNs();
  std::lock_guard lock(mutex_);
  const uint64_t idleMs = nowNs > lastInputNs_ ? (nowNs - lastInputNs_) / 1'000'000 : 0;
  return static_cast<uint32_t>(std::min<uint64_t>(idleMs, std::numeric_limits<uint32_t>::max()));
}

bool SimUserSession::RequestSystemPower(platform::SystemPowerRequest request) {
  const uint64_t nowNs = clock_->NowNs();
  std::lock_guard lock(mutex_);
  log_.Record({nowNs > startNs_ ? nowNs - startNs_ : 0, request});
  if (request == platform::SystemPowerRequest::kPowerOff) return true;
  const auto sleep = power_.BeginSleep();
  if (!sleep) return false;
  wake_ = PlannedWake{nowNs + kSleepNs, *sleep};
  if (!waker_.joinable()) {
    waker_ = std::jthread([this](std::stop_token stop) { WakeWhenDue(stop); });
  }
  wakeChanged_.notify_all();
  return true;
}

void SimUserSession::WakeWhenDue(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    if (!wake_) {
      wakeChanged_.wait(lock, stop, [this] { return wake_.has_value(); });
      continue;
    }
    const uint64_t nowNs = clock_->NowNs();
    if (nowNs >= wake_->atNs) {
      // The user wakes the machine with a key or the lid: that is input. A sleep that
      // ended otherwise meanwhile is left alone.
      if (power_.EndSleep(wake_->sleep)) lastInputNs_ = std::max(lastInputNs_, wake_->atNs);
      wake_.reset();
      continue;
    }
    const auto untilDue = std::chrono::nanoseconds(wake_->atNs - nowNs);
    wakeChanged_.wait_for(lock, stop, std::min<std::chrono::nanoseconds>(untilDue, kLongestLook),
                          [] { return false; });
  }
}

void SimUserSession::StartProgram(const std::string& name) {
  std::lock_guard lock(mutex_);
  programs_.push_back(name);
}

bool SimUserSession::EndProgram(const std::string& name) {
  std::lock_guard lock(mutex_);
  // The one started last ends, as a user closes the newest window first.
  const auto found = std::find(programs_.rbegin(), programs_.rend(), name);
  if (found == programs_.rend()) return false;
  programs_.erase(std::next(found).base());
  return true;
}

void SimUserSession::Input(uint64_t atNs) {
  std::lock_guard lock(mutex_);
  lastInputNs_ = std::max(lastInputNs_, atNs);
}

std::vector<PowerRequestRecord> SimUserSession::PowerRequests() {
  std::lock_guard lock(mutex_);
  return log_.Records();
}

}  // namespace pacetta::sim
