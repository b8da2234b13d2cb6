#include "platform/sim/power/scenario_player.h"

#include <algorithm>
#include <chrono>

namespace pacetta::sim {
namespace {

// How long the player trusts the clock not to jump: a hand-moved clock is noticed
// within this much real time.
constexpr std::chrono::milliseconds kLongestLook{20};

void Perform(const PowerStep& step, SimPower& power) {
  // The steps were checked against each other; a step that a test's own action made
  // moot (plugging a machine already plugged in) changes nothing.
  switch (step.action) {
    case PowerAction::kPlug:
      power.Plug();
      break;
    case PowerAction::kUnplug:
      power.Unplug();
      break;
    case PowerAction::kSuspend:
      power.Suspend();
      break;
    case PowerAction::kResume:
      power.Resume();
      break;
    case PowerAction::kBattery:
      power.SetBatteryPercent(step.percent);
      break;
    case PowerAction::kInsertBattery:
      power.InsertBattery();
      break;
    case PowerAction::kRemoveBattery:
      power.RemoveBattery();
      break;
  }
}

}  // namespace

PowerScenarioPlayer::PowerScenarioPlayer(std::vector<PowerStep> steps, SimPower& power,
                                         std::shared_ptr<SimClock> clock, uint64_t startNs)
    : steps_(std::move(steps)), power_(power), clock_(std::move(clock)), startNs_(startNs) {}

PowerScenarioPlayer::~PowerScenarioPlayer() {
  if (thread_.joinable()) {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
  }
}

void PowerScenarioPlayer::Start() {
  if (thread_.joinable() || Finished()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Play(stop); });
}

size_t PowerScenarioPlayer::RunDue(uint64_t nowNs) {
  std::lock_guard lock(mutex_);
  size_t performed = 0;
  while (next_ < steps_.size() && nowNs >= startNs_ && nowNs - startNs_ >= steps_[next_].atNs) {
    Perform(steps_[next_++], power_);
    ++performed;
  }
  return performed;
}

bool PowerScenarioPlayer::Finished() {
  std::lock_guard lock(mutex_);
  return next_ >= steps_.size();
}

void PowerScenarioPlayer::Play(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested() && next_ < steps_.size()) {
    const uint64_t dueNs = startNs_ + steps_[next_].atNs;
    const uint64_t nowNs = clock_->NowNs();
    if (nowNs >= dueNs) {
      lock.unlock();
      RunDue(nowNs);
      lock.lock();
      continue;
    }
    const auto untilDue = std::chrono::nanoseconds(dueNs - nowNs);
    const auto wait = std::min<std::chrono::nanoseconds>(untilDue, kLongestLook);
    wake_.wait_for(lock, stop, wait, [] { return false; });
  }
}

}  // namespace pacetta::sim
