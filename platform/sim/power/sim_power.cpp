#include "platform/sim/power/sim_power.h"

namespace pacetta::sim {
namespace {

// The part of the status whose change the system announces.
bool SameSource(const platform::PowerStatus& a, const platform::PowerStatus& b) {
  return a.acLine == b.acLine && a.batteryFlag == b.batteryFlag;
}

}  // namespace

platform::PowerStatus SimPower::StatusLocked() const {
  platform::PowerStatus status;
  status.acLine = acOnline_ ? platform::kAcOnline : platform::kAcOffline;
  status.batteryPercent = static_cast<uint8_t>(batteryPercent_);
  status.batteryFlag =
      platform::BatteryFlagForCharge(batteryPercent_, acOnline_ && batteryPercent_ < 100);
  // The battery reports no rate, so no remaining time can be known.
  return status;
}

std::optional<platform::PowerStatus> SimPower::Status() {
  std::lock_guard lock(mutex_);
  if (statusFails_) return std::nullopt;
  return StatusLocked();
}

std::unique_ptr<platform::PowerSubscription> SimPower::Subscribe(
    platform::PowerListener& listener) {
  return notices_.Subscribe(listener);
}

void SimPower::ChangeLocked(const platform::PowerStatus& before) {
  if (sleeping_ || SameSource(before, StatusLocked())) return;
  notices_.Post(platform::PowerNotice::kStatusChanged);
}

bool SimPower::Plug() {
  std::lock_guard lock(mutex_);
  if (acOnline_) return false;
  const auto before = StatusLocked();
  acOnline_ = true;
  ChangeLocked(before);
  return true;
}

bool SimPower::Unplug() {
  std::lock_guard lock(mutex_);
  if (!acOnline_) return false;
  const auto before = StatusLocked();
  acOnline_ = false;
  ChangeLocked(before);
  return true;
}

bool SimPower::SetBatteryPercent(unsigned percent) {
  if (percent > 100) return false;
  std::lock_guard lock(mutex_);
  const auto before = StatusLocked();
  batteryPercent_ = percent;
  ChangeLocked(before);
  return true;
}

bool SimPower::Suspend() {
  std::lock_guard lock(mutex_);
  if (sleeping_) return false;
  sleeping_ = true;
  const uint64_t sleep = ++sleeps_;
  beforeSleep_ = StatusLocked();
  // The system sleeps only once every program has handled the notice, unless it was
  // woken before that.
  notices_.Post(platform::PowerNotice::kSuspending, [this, sleep] {
    std::lock_guard after(mutex_);
    if (sleeping_ && sleeps_ == sleep) asleep_ = true;
  });
  return true;
}

bool SimPower::Resume() {
  std::lock_guard lock(mutex_);
  if (!sleeping_) return false;
  sleeping_ = false;
  asleep_ = false;
  notices_.Post(platform::PowerNotice::kResumed);
  // What changed during the sleep is announced once the system runs again.
  if (!SameSource(beforeSleep_, StatusLocked())) {
    notices_.Post(platform::PowerNotice::kStatusChanged);
  }
  return true;
}

void SimPower::SetStatusFails(bool fails) {
  std::lock_guard lock(mutex_);
  statusFails_ = fails;
}

bool SimPower::Asleep() {
  std::lock_guard lock(mutex_);
  return asleep_;
}

}  // namespace pacetta::sim
