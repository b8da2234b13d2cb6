#include "platform/sim/scenario/scenario_player.h"

#include <algorithm>
#include <chrono>

namespace pacetta::sim {
namespace {

// How long the player trusts the clock not to jump: a hand-moved clock is noticed
// within this much real time.
constexpr std::chrono::milliseconds kLongestLook{20};

}  // namespace

ScenarioPlayer::ScenarioPlayer(std::vector<ScenarioStep> steps, ScenarioTargets targets,
                               std::shared_ptr<SimClock> clock, uint64_t startNs)
    : steps_(std::move(steps)), targets_(targets), clock_(std::move(clock)), startNs_(startNs) {}

ScenarioPlayer::~ScenarioPlayer() {
  if (thread_.joinable()) {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
  }
}

void ScenarioPlayer::Start() {
  if (thread_.joinable() || Finished()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Play(stop); });
}

size_t ScenarioPlayer::RunDue(uint64_t nowNs) {
  std::lock_guard lock(mutex_);
  size_t performed = 0;
  while (next_ < steps_.size() && nowNs >= startNs_ && nowNs - startNs_ >= steps_[next_].atNs) {
    Perform(steps_[next_++]);
    ++performed;
  }
  return performed;
}

bool ScenarioPlayer::Finished() {
  std::lock_guard lock(mutex_);
  return next_ >= steps_.size();
}

void ScenarioPlayer::Perform(const ScenarioStep& step) {
  // The steps were checked against each other; a step that a test's own action made
  // moot (plugging a machine already plugged in) changes nothing. Times are the step's
  // own, not the moment of this look, so a late look changes no reading.
  const uint64_t dueNs = startNs_ + step.atNs;
  SimPower& power = targets_.power;
  switch (step.action) {
    case ScenarioAction::kPlug:
      power.Plug();
      break;
    case ScenarioAction::kUnplug:
      power.Unplug();
      break;
    case ScenarioAction::kSuspend:
      power.Suspend();
      break;
    case ScenarioAction::kResume:
      power.Resume();
      break;
    case ScenarioAction::kBattery:
      power.SetBatteryPercent(step.percent);
      break;
    case ScenarioAction::kInsertBattery:
      power.InsertBattery();
      break;
    case ScenarioAction::kRemoveBattery:
      power.RemoveBattery();
      break;
    case ScenarioAction::kSetClock:
      targets_.wallClock.Set(step.epochSeconds, dueNs);
      break;
    case ScenarioAction::kStartProgram:
      targets_.session.StartProgram(step.program);
      break;
    case ScenarioAction::kEndProgram:
      targets_.session.EndProgram(step.program);
      break;
    case ScenarioAction::kInput:
      targets_.session.Input(dueNs);
      break;
  }
}

void ScenarioPlayer::Play(std::stop_token stop) {
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
