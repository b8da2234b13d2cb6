#include "engine/idle/idle_helpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace pacetta {
namespace {

using namespace std::chrono_literals;

// What a test needs to see of one started helper and to make it do.
struct FakeState {
  std::string path;
  bool idlePriority = false;
  uint64_t affinity = 0;
  bool running = true;
  bool stopSignalled = false;
  bool obeysStop = true;
  bool killed = false;
  platform::ProcessTimes times;
};

class FakeProcess final : public platform::SupervisedProcess {
 public:
  explicit FakeProcess(std::shared_ptr<FakeState> state) : state_(std::move(state)) {}
  int32_t Id() const override { return 1; }
  bool SetAffinity(uint64_t mask) override {
    state_->affinity = mask;
    return true;
  }
  bool IsRunning() override { return state_->running; }
  std::optional<platform::ProcessTimes> Times() override { return state_->times; }
  void SignalStop() override {
    state_->stopSignalled = true;
    if (state_->obeysStop) state_->running = false;
  }
  bool WaitForExit(std::chrono::milliseconds) override { return !state_->running; }
  void Kill() override {
    state_->killed = true;
    state_->running = false;
  }

 private:
  std::shared_ptr<FakeState> state_;
};

class FakeProcesses final : public platform::Processes {
 public:
  std::unique_ptr<platform::SupervisedProcess> StartSupervised(
      const platform::ProcessLaunch& launch) override {
    ++attempts;
    if (!canStart) return nullptr;
    auto state = std::make_shared<FakeState>();
    state->path = launch.path;
    state->idlePriority = launch.idlePriority;
    started.push_back(state);
    return std::make_unique<FakeProcess>(state);
  }
  bool canStart = true;
  int attempts = 0;
  std::vector<std::shared_ptr<FakeState>> started;
};

TEST(IdleHelpers, StartsOneLowPriorityHelperPerProcessorBoundToIt) {
  FakeProcesses processes;
  IdleHelpers helpers(processes, IdleHelperPath("/opt/pacetta"), 3);
  helpers.StartAll();
  ASSERT_EQ(processes.started.size(), 3u);
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(processes.started[i]->path, "/opt/pacetta/PacettaHLT");
    EXPECT_TRUE(processes.started[i]->idlePriority);
    EXPECT_EQ(processes.started[i]->affinity, uint64_t{1} << i);
    EXPECT_TRUE(helpers.IsRunning(i));
  }
  EXPECT_TRUE(helpers.Supervise().empty()) << "running helpers are left alone";
  EXPECT_EQ(processes.started.size(), 3u);
}

TEST(IdleHelpers, AnEndedHelperIsReplacedOnTheSameProcessor) {
  FakeProcesses processes;
  IdleHelpers helpers(processes, "PacettaHLT", 4);
  helpers.StartAll();
  processes.started[2]->running = false;
  EXPECT_EQ(helpers.Supervise(), std::vector<unsigned>{2});
  ASSERT_EQ(processes.started.size(), 5u);
  EXPECT_EQ(processes.started.back()->affinity, 0b100u);
  EXPECT_TRUE(helpers.IsRunning(2));
}

TEST(IdleHelpers, AHelperThatCannotStartIsRetriedAndReportedEveryRefresh) {
  FakeProcesses processes;
  processes.canStart = false;
  IdleHelpers helpers(processes, "PacettaHLT", 2);
  helpers.StartAll();
  EXPECT_EQ(helpers.Supervise(), (std::vector<unsigned>{0, 1}));
  EXPECT_EQ(helpers.Supervise(), (std::vector<unsigned>{0, 1}));
  EXPECT_EQ(processes.attempts, 6);
  EXPECT_FALSE(helpers.ConsumedTime(0)) << "no helper has run there";
  processes.canStart = true;
  EXPECT_EQ(helpers.Supervise(), (std::vector<unsigned>{0, 1}));
  EXPECT_TRUE(helpers.Supervise().empty());
}

TEST(IdleHelpers, ARestartKeepsTheEndedHelpersTimeSoIdleTimeNeverRunsBack) {
  FakeProcesses processes;
  IdleHelpers helpers(processes, "PacettaHLT", 1);
  helpers.StartAll();
  processes.started[0]->times = {300, 700};
  EXPECT_EQ(helpers.ConsumedTime(0), 1000);
  processes.started[0]->running = false;
  helpers.Supervise();
  EXPECT_EQ(helpers.ConsumedTime(0), 1000) << "the new helper starts from the old total";
  processes.started[1]->times = {0, 50};
  EXPECT_EQ(helpers.ConsumedTime(0), 1050);
  EXPECT_FALSE(helpers.ConsumedTime(7)) << "no such processor";
}

TEST(IdleHelpers, ExitEndsObedientHelpersAndKillsThoseThatIgnoreTheSignal) {
  FakeProcesses processes;
  IdleHelpers helpers(processes, "PacettaHLT", 3);
  helpers.StartAll();
  processes.started[1]->obeysStop = false;
  processes.started[2]->times = {10, 20};
  const IdleHelpersStopped stopped = helpers.Stop(50ms);
  EXPECT_EQ(stopped.ended, 2u);
  EXPECT_EQ(stopped.killed, 1u);
  for (const auto& state : processes.started) {
    EXPECT_TRUE(state->stopSignalled);
    EXPECT_FALSE(state->running);
  }
  EXPECT_TRUE(processes.started[1]->killed);
  EXPECT_FALSE(processes.started[0]->killed);
  EXPECT_EQ(helpers.ConsumedTime(2), 30);
  EXPECT_TRUE(helpers.Supervise().empty()) << "a late refresh starts nothing after exit";
  EXPECT_EQ(processes.started.size(), 3u);
}

}  // namespace
}  // namespace pacetta
