// The actions engine with a real events engine, against a host the test sets.
#include <gtest/gtest.h>

#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"
#include "tests/addins/engines/engine_test_support.h"
#include "tests/addins/engines/fake_host_window.h"

namespace pacetta {
namespace {

using addins::ActionType;
using addins::EventType;
using testing::FakeHostWindow;
using testing::MakeAction;
using testing::MakeEvent;
using SentProfile = FakeHostWindow::SentProfile;

constexpr int64_t kCurrentSource = 3;

class ActionsEngineTest : public ::testing::Test {
 protected:
  ActionsEngineTest() {
    events.SetHostWindow(&host);
    actions.SetHostWindow(&host);
  }

  void Push(std::initializer_list<addins::EventRecord> eventList,
            std::initializer_list<addins::ActionRecord> actionList) {
    events.SetCount(static_cast<int32_t>(eventList.size()));
    int32_t i = 0;
    for (const addins::EventRecord& event : eventList) events.SetRecord(i++, event);
    events.ResetStates();
    actions.SetCount(static_cast<int32_t>(actionList.size()));
    i = 0;
    for (const addins::ActionRecord& action : actionList) actions.SetRecord(i++, action);
  }
  void Tick(int64_t seconds = 1) {
    host.Advance(seconds);
    events.Evaluate();
    actions.Run();
  }
  bool Active(int32_t action) { return actions.GetRecord(action)->active != 0; }

  FakeHostWindow host;
  addins::EventsEngineImpl events;
  addins::ActionsEngineImpl actions{events};
};

TEST_F(ActionsEngineTest, AnEarlierChangeProfileActionInEffectKeepsLaterOnesFromActing) {
  host.batteryLevel = 10;
  host.temperature = 80;
  Push(
      {MakeEvent(EventType::kBatteryBelow, 20), MakeEvent(EventType::kTemperatureAbove, 70)},
      {MakeAction(ActionType::kChangeProfile, 0, 1), MakeAction(ActionType::kChangeProfile, 1, 2)});
  Tick();
  Tick();
  EXPECT_EQ(host.profileChanges, (std::vector<SentProfile>{{1, kCurrentSource}}));
  EXPECT_TRUE(Active(0));
  EXPECT_FALSE(Active(1));
  // The first one's event goes: it ends, and only then the second acts.
  host.batteryLevel = 50;
  Tick();
  EXPECT_FALSE(Active(0));
  Tick();
  EXPECT_TRUE(Active(1));
  EXPECT_EQ(host.profileChanges.back(), (SentProfile{2, kCurrentSource}));
}

TEST_F(ActionsEngineTest, AChangeProfileActionWaitingOutItsDelayAlsoHoldsTheOthersBack) {
  host.batteryLevel = 10;
  addins::ActionRecord slow = MakeAction(ActionType::kChangeProfile, 0, 2);
  slow.delayMs = 5000;
  Push({MakeEvent(EventType::kBatteryBelow, 20)},
       {slow, MakeAction(ActionType::kChangeProfile, 0, 3)});
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_TRUE(host.profileChanges.empty());
  Tick();
  EXPECT_EQ(host.profileChanges, (std::vector<SentProfile>{{2, kCurrentSource}}));
}

TEST_F(ActionsEngineTest, RestoreGivesBackTheProfilesOfEverySourceTheEventWatches) {
  host.profiles = {{0, 3}, {1, 1}};
  host.batteryLevel = 10;
  Push({MakeEvent(EventType::kBatteryBelow, 20)},
       {MakeAction(ActionType::kChangeProfile, 0, 1, /*restore=*/true)});
  Tick();
  host.batteryLevel = 30;
  Tick();
  EXPECT_EQ(host.profileChanges, (std::vector<SentProfile>{{1, kCurrentSource}, {3, 0}, {1, 1}}));
}

TEST_F(ActionsEngineTest, AnEarlierActiveActionTakesOverTheProfilesSavedFirst) {
  host.profiles = {{0, 0}, {1, 0}};
  host.batteryLevel = 10;
  host.idleMs = 0;
  addins::ActionRecord idle = MakeAction(ActionType::kChangeProfile, 1, 2, true);
  Push({MakeEvent(EventType::kBatteryBelow, 20), MakeEvent(EventType::kNoInput, 60)},
       {MakeAction(ActionType::kChangeProfile, 0, 1, true), idle});
  Tick();
  ASSERT_TRUE(Active(0));
  // Action 1 cannot act while action 0 is in effect: it is in effect as if it had been
  // performed before action 0 moved ahead of it, having saved profile 7.
  actions.GetRecord(1)->active = 1;
  addins::WriteParameter<int32_t>(actions.GetRecord(1)->parameters, addins::kSavedAcProfileAt, 7);
  Tick();  // action 1's event is inactive: it ends, and action 0 takes over its profile 7
  EXPECT_FALSE(Active(1));
  EXPECT_EQ(
      addins::ReadParameter<int32_t>(actions.GetRecord(0)->parameters, addins::kSavedAcProfileAt),
      7);
  host.batteryLevel = 50;
  Tick();
  EXPECT_EQ(host.profileChanges.back(), (SentProfile{7, 0}));
}

TEST_F(ActionsEngineTest, OtherActionsRunOncePerPeriodOfTheirEventAndEndWithIt) {
  addins::ActionRecord run = MakeAction(ActionType::kRunApplication, 0);
  addins::SetFieldText(run.parameters, "\"/opt/My Tools/backup\" --quick");
  addins::ActionRecord onInactive = MakeAction(ActionType::kHibernate, 0);
  onInactive.onInactive = 1;
  host.programs = {"editor"};
  addins::EventRecord editor = MakeEvent(EventType::kApplicationRunning);
  addins::SetFieldText(editor.parameters, "editor");
  Push({editor}, {run, onInactive});
  Tick();
  Tick();
  EXPECT_EQ(host.started, std::vector<std::string>{"\"/opt/My Tools/backup\" --quick"});
  EXPECT_TRUE(host.powerRequests.empty());
  // The run action, still in effect when the pass comes to it, holds the later one back
  // for one more evaluation.
  host.programs.clear();
  Tick();
  EXPECT_FALSE(Active(0));
  EXPECT_TRUE(host.powerRequests.empty());
  Tick();
  EXPECT_EQ(host.powerRequests,
            std::vector<addins::PowerRequest>{addins::PowerRequest::kHibernate});
}

TEST_F(ActionsEngineTest, AStandbyActionHoldsTheStandbyBackForABoundedTime) {
  for (const auto& [hold, slept] :
       std::vector<std::pair<int32_t, uint32_t>>{{2000, 2000}, {999999, 5000}, {-5, 0}}) {
    FakeHostWindow fresh;
    host = fresh;
    host.powerEvent = 1;
    Push({MakeEvent(EventType::kSuspending, hold)}, {MakeAction(ActionType::kStandby, 0)});
    Tick();
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>{slept}) << hold;
    EXPECT_EQ(host.powerRequests,
              std::vector<addins::PowerRequest>{addins::PowerRequest::kStandby});
    // Active for one evaluation only: ended at the next.
    Tick();
    EXPECT_FALSE(Active(0));
  }
}

TEST_F(ActionsEngineTest, AnActionWithoutItsEventIsNeverPerformed) {
  host.powerSource = 1;
  addins::ActionRecord onInactive = MakeAction(ActionType::kShutdown, 5);
  onInactive.onInactive = 1;
  Push({MakeEvent(EventType::kPowerSourceIs, 0)},
       {MakeAction(ActionType::kShutdown, -1), onInactive,
        MakeAction(ActionType::kChangeProfile, -7, 2)});
  Tick();
  EXPECT_TRUE(host.powerRequests.empty());
  EXPECT_TRUE(host.profileChanges.empty());
}

TEST_F(ActionsEngineTest, EndAllRestoresFromTheLastToTheFirst) {
  host.profiles = {{0, 3}, {1, 3}};
  host.batteryLevel = 10;
  Push({MakeEvent(EventType::kBatteryBelow, 20, addins::kOnAc)},
       {MakeAction(ActionType::kChangeProfile, 0, 1, true)});
  Tick();
  actions.EndAll();
  EXPECT_FALSE(Active(0));
  EXPECT_EQ(host.profileChanges, (std::vector<SentProfile>{{1, kCurrentSource}, {3, 0}}));
}

}  // namespace
}  // namespace pacetta
