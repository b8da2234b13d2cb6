#include "hw/service_start_wait.h"

#include <gtest/gtest.h>

#include <deque>

#include "fake_platform.h"

namespace pacetta {
namespace {

using platform::ServiceState;
using platform::ServiceStatus;

// Answers the scripted statuses, then repeats the last one. Fails after a generous
// number of queries so that a wait that never ends shows up as a test failure.
class ScriptedService : public platform::Service {
 public:
  explicit ScriptedService(std::deque<ServiceStatus> script) : script_(std::move(script)) {}
  int failAfter = 1000;
  int queries = 0;

  bool QueryStatus(ServiceStatus& status) override {
    if (++queries > failAfter) return false;
    status = script_.front();
    if (script_.size() > 1) script_.pop_front();
    return true;
  }
  bool Start() override { return true; }
  bool Stop() override { return true; }
  bool Delete() override { return true; }

 private:
  std::deque<ServiceStatus> script_;
};

ServiceStatus Pending(uint32_t checkPoint, uint32_t hint) {
  return {ServiceState::kStartPending, checkPoint, hint};
}

TEST(StartPendingWait, KeepsWaitingWhileTheCheckPointGrows) {
  testing::FakeSystem system;
  ScriptedService service(
      {Pending(1, 2000), Pending(2, 2000), Pending(3, 2000), {ServiceState::kRunning, 0, 0}});
  ServiceStatus status = Pending(0, 2000);
  WaitWhileStartPending(service, system, status);
  EXPECT_EQ(status.state, ServiceState::kRunning);
  EXPECT_EQ(system.sleepsMs, std::vector<uint32_t>(4, 1000));
}

TEST(StartPendingWait, GivesUpOnceTheCheckPointStandsStillLongerThanTheHint) {
  testing::FakeSystem system;
  system.tick = 0xFFFFFFFFu - 1500;  // the tick count wraps during the wait
  ScriptedService service({Pending(5, 3000)});
  ServiceStatus status = Pending(5, 3000);
  WaitWhileStartPending(service, system, status);
  EXPECT_EQ(system.sleepsMs, std::vector<uint32_t>(4, 1000));
}

TEST(StartPendingWait, ProgressRestartsTheTimeout) {
  testing::FakeSystem system;
  ScriptedService service({Pending(0, 2000), Pending(0, 2000), Pending(1, 2000)});
  ServiceStatus status = Pending(0, 2000);
  WaitWhileStartPending(service, system, status);
  // Two still polls, progress on the third, then three more until 3 s > 2 s.
  EXPECT_EQ(system.sleepsMs.size(), 6u);
}

TEST(StartPendingWait, PollsAtATenthOfTheHintWithinOneToTenSeconds) {
  for (const auto& [hint, poll, polls] : std::vector<std::tuple<uint32_t, uint32_t, size_t>>{
           {0, 1000, 1}, {50000, 5000, 11}, {500000, 10000, 51}}) {
    SCOPED_TRACE(hint);
    testing::FakeSystem system;
    ScriptedService service({Pending(0, hint)});
    ServiceStatus status = Pending(0, hint);
    WaitWhileStartPending(service, system, status);
    EXPECT_EQ(system.sleepsMs, std::vector<uint32_t>(polls, poll));
  }
}

TEST(StartPendingWait, AFailedQueryEndsTheWait) {
  testing::FakeSystem system;
  ScriptedService service({Pending(1, 2000), Pending(2, 2000)});
  service.failAfter = 2;
  ServiceStatus status = Pending(0, 2000);
  WaitWhileStartPending(service, system, status);
  EXPECT_EQ(system.sleepsMs.size(), 3u);
  EXPECT_EQ(status.checkPoint, 2u);
}

}  // namespace
}  // namespace pacetta
