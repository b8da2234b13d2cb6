// The events engine against a host whose clock, power and programs the test sets.
#include <gtest/gtest.h>

#include "addins/events/events_engine_impl.h"
#include "tests/addins/engines/engine_test_support.h"
#include "tests/addins/engines/fake_host_window.h"

namespace pacetta {
namespace {

using addins::EventType;
using testing::At;
using testing::FakeHostWindow;
using testing::MakeCalendarEvent;
using testing::MakeEvent;

class EventsEngineTest : public ::testing::Test {
 protected:
  EventsEngineTest() { engine.SetHostWindow(&host); }

  // Pushes `events` as the host does: records set, states cleared.
  void Push(std::initializer_list<addins::EventRecord> events) {
    engine.SetCount(static_cast<int32_t>(events.size()));
    int32_t i = 0;
    for (const addins::EventRecord& event : events) engine.SetRecord(i++, event);
    engine.ResetStates();
  }
  bool ActiveAfterEvaluation() {
    engine.Evaluate();
    return engine.IsActive(0) != 0;
  }
  // The evaluations at `times` (UTC seconds) at which event 0 is active.
  std::vector<int64_t> FiringsAt(std::initializer_list<int64_t> times) {
    std::vector<int64_t> firings;
    for (int64_t time : times) {
      host.Advance(time - host.seconds);
      if (ActiveAfterEvaluation()) firings.push_back(time);
    }
    return firings;
  }

  FakeHostWindow host;
  addins::EventsEngineImpl engine;
};

TEST_F(EventsEngineTest, EachConditionHoldsExactlyWhenItsInputSaysSo) {
  struct Case {
    const char* what;
    addins::EventRecord event;
    std::function<void(FakeHostWindow&)> set;
    bool active;
  };
  const auto onBattery = [](FakeHostWindow& h) { h.powerSource = 0; };
  addins::EventRecord editor = MakeEvent(EventType::kApplicationRunning);
  addins::SetFieldText(editor.parameters, "Editor.BIN");
  addins::EventRecord scheme = MakeEvent(EventType::kPowerSchemeIs);
  scheme.parameters[0] = 0xAB;
  const std::vector<Case> cases = {
      {"program of that name, any case", editor,
       [](FakeHostWindow& h) {
         h.programs = {"init", "editor.bin"};
       },
       true},
      {"no such program", editor, [](FakeHostWindow& h) { h.programs = {"editor"}; }, false},
      {"profile is the one", MakeEvent(EventType::kProfileIs, 2),
       [](FakeHostWindow& h) { h.profiles[0] = 2; }, true},
      {"profile is another", MakeEvent(EventType::kProfileIs, 2), [](FakeHostWindow&) {}, false},
      {"battery below", MakeEvent(EventType::kBatteryBelow, 20),
       [](FakeHostWindow& h) { h.batteryLevel = 19; }, true},
      {"battery at the level", MakeEvent(EventType::kBatteryBelow, 20),
       [](FakeHostWindow& h) { h.batteryLevel = 20; }, false},
      {"battery unknown is never below", MakeEvent(EventType::kBatteryBelow, 100),
       [](FakeHostWindow& h) { h.batteryLevel = 255; }, false},
      {"battery unknown is never above", MakeEvent(EventType::kBatteryAbove, 0),
       [](FakeHostWindow& h) { h.batteryLevel = 255; }, false},
      {"battery above", MakeEvent(EventType::kBatteryAbove, 80),
       [](FakeHostWindow& h) { h.batteryLevel = 81; }, true},
      {"no sensor is never below", MakeEvent(EventType::kTemperatureBelow, 100),
       [](FakeHostWindow& h) { h.temperature = 0; }, false},
      {"cool", MakeEvent(EventType::kTemperatureBelow, 50),
       [](FakeHostWindow& h) { h.temperature = 45; }, true},
      {"hot", MakeEvent(EventType::kTemperatureAbove, 70),
       [](FakeHostWindow& h) { h.temperature = 71; }, true},
      {"idle longer", MakeEvent(EventType::kNoInput, 60),
       [](FakeHostWindow& h) { h.idleMs = 60001; }, true},
      {"idle exactly", MakeEvent(EventType::kNoInput, 60),
       [](FakeHostWindow& h) { h.idleMs = 60000; }, false},
      {"idle time unknown", MakeEvent(EventType::kNoInput, 0),
       [](FakeHostWindow& h) { h.idleMs.reset(); }, false},
      {"standby coming", MakeEvent(EventType::kSuspending, 1000),
       [](FakeHostWindow& h) { h.powerEvent = 1; }, true},
      {"resumed is not standby", MakeEvent(EventType::kSuspending, 1000),
       [](FakeHostWindow& h) { h.powerEvent = 2; }, false},
      {"resumed", MakeEvent(EventType::kResumed), [](FakeHostWindow& h) { h.powerEvent = 2; },
       true},
      {"on AC", MakeEvent(EventType::kPowerSourceIs, 1), [](FakeHostWindow&) {}, true},
      {"on battery", MakeEvent(EventType::kPowerSourceIs, 0), onBattery, true},
      {"scheme of all 16 bytes", scheme, [](FakeHostWindow& h) { h.scheme[0] = 0xAB; }, true},
      {"scheme differing in its last byte", scheme,
       [](FakeHostWindow& h) { h.scheme = {0xAB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}; },
       false},
      {"unknown type", MakeEvent(static_cast<EventType>(14)), [](FakeHostWindow&) {}, false},
  };
  for (const Case& c : cases) {
    FakeHostWindow fresh;
    host = fresh;
    c.set(host);
    Push({c.event});
    EXPECT_EQ(ActiveAfterEvaluation(), c.active) << c.what;
  }
}

TEST_F(EventsEngineTest, StateTimesCountFromTheLastChangeAndAreFrozenOutsideTheSources) {
  Push({MakeEvent(EventType::kBatteryBelow, 50, addins::kOnBattery)});
  host.powerSource = 0;
  host.batteryLevel = 40;
  EXPECT_TRUE(ActiveAfterEvaluation());
  host.Advance(3);
  engine.Evaluate();
  EXPECT_EQ(engine.GetTimeInState(0), 3000u);
  // On AC the battery-only event is not looked at: its state and time stay as they were.
  host.powerSource = 1;
  host.batteryLevel = 90;
  host.Advance(5);
  EXPECT_TRUE(ActiveAfterEvaluation());
  EXPECT_EQ(engine.GetTimeInState(0), 3000u);
  host.powerSource = 0;
  host.Advance(1);
  EXPECT_FALSE(ActiveAfterEvaluation());
  EXPECT_EQ(engine.GetTimeInState(0), 0u);
  // Out-of-range questions answer "inactive, no time".
  EXPECT_EQ(engine.IsActive(-1), 0);
  EXPECT_EQ(engine.IsActive(256), 0);
  EXPECT_EQ(engine.GetRecord(256), nullptr);
}

TEST_F(EventsEngineTest, OneTimeEventIsActiveOnlyAtTheEvaluationThatCrossesItsMoment) {
  const int64_t now = At(2026, 12, 9, 7, 59, 0);
  host.seconds = now;
  Push({MakeCalendarEvent(EventType::kOneTime, now + 60)});
  EXPECT_EQ(FiringsAt({now + 1, now + 59, now + 61, now + 62, now + 3600}),
            std::vector<int64_t>{now + 61});
}

TEST_F(EventsEngineTest, OneTimeEventInThePastWhenPushedNeverFires) {
  host.seconds = At(2026, 12, 9, 9, 0, 0);
  Push({MakeCalendarEvent(EventType::kOneTime, At(2026, 12, 9, 8, 0, 0))});
  EXPECT_TRUE(FiringsAt({host.seconds + 1, host.seconds + 2}).empty());
}

TEST_F(EventsEngineTest, DailyEventFiresOnEveryPeriodEvenWhenNoEvaluationHitsItsSecond) {
  const int64_t start = At(2026, 12, 8, 8, 0, 0);  // yesterday, every 12 hours
  host.seconds = At(2026, 12, 9, 7, 59, 58);
  Push({MakeCalendarEvent(EventType::kDaily, start, 12 * 3600)});
  const int64_t eight = At(2026, 12, 9, 8, 0, 0);
  const int64_t twenty = At(2026, 12, 9, 20, 0, 0);
  // The 08:00:00 evaluation fires; at 20:00 the evaluations jump from :59 to :01.
  EXPECT_EQ(FiringsAt({eight - 1, eight, eight + 1, twenty - 1, twenty + 1, twenty + 2}),
            (std::vector<int64_t>{eight, twenty + 1}));
}

TEST_F(EventsEngineTest, DailyEventCatchesItsStartWithinTheFirstMinute) {
  const int64_t start = At(2026, 12, 9, 8, 0, 0);
  host.seconds = start - 10;
  Push({MakeCalendarEvent(EventType::kDaily, start, 3600)});
  EXPECT_EQ(FiringsAt({start - 5, start + 30, start + 45, start + 3599, start + 3600}),
            (std::vector<int64_t>{start + 30, start + 3600}));
}

TEST_F(EventsEngineTest, DailyEventWithoutAPositivePeriodNeverFires) {
  const int64_t start = At(2026, 12, 9, 8, 0, 0);
  for (int32_t period : {0, -3600}) {
    host.seconds = start - 1;
    Push({MakeCalendarEvent(EventType::kDaily, start, period)});
    EXPECT_TRUE(FiringsAt({start, start + 1, start + 120}).empty()) << period;
  }
}

TEST_F(EventsEngineTest, DailyEventDoesNotFireWhenTheClockIsSetBack) {
  const int64_t start = At(2026, 12, 9, 8, 0, 0);
  host.seconds = start + 1000;
  Push({MakeCalendarEvent(EventType::kDaily, start, 3600)});
  EXPECT_TRUE(FiringsAt({start + 1500, start + 1200}).empty());
}

TEST_F(EventsEngineTest, WeeklyEventFiresOnMarkedDaysAndKeepsItsDifferenceOnOthers) {
  constexpr int32_t kMonday = 1 << 1;
  const int64_t tuesdayNine = At(2026, 12, 8, 9, 0, 0);  // 2026-12-08 is a Tuesday
  host.seconds = tuesdayNine - 10;
  Push({MakeCalendarEvent(EventType::kWeekly, At(2026, 1, 1, 9, 0, 0), kMonday)});
  EXPECT_TRUE(FiringsAt({tuesdayNine - 5, tuesdayNine + 5}).empty());
  EXPECT_EQ(
      addins::ReadParameter<int64_t>(engine.GetRecord(0)->parameters, addins::kLastDifferenceAt),
      0);
  const int64_t mondayNine = At(2026, 12, 14, 9, 0, 0);
  EXPECT_EQ(FiringsAt({mondayNine - 1, mondayNine + 2, mondayNine + 3}),
            std::vector<int64_t>{mondayNine + 2});
}

TEST_F(EventsEngineTest, SetRecordKeepsTheEngineStateAndTerminatesTheFields) {
  Push({MakeEvent(EventType::kPowerSourceIs, 1)});
  engine.Evaluate();
  addins::EventRecord changed = MakeEvent(EventType::kPowerSourceIs, 1);
  changed.name.fill('x');
  changed.parameters.fill('y');
  changed.active = 0;
  engine.SetRecord(0, changed);
  EXPECT_EQ(engine.IsActive(0), 1);
  EXPECT_EQ(addins::FieldText(engine.GetRecord(0)->name).size(), 31u);
  EXPECT_EQ(addins::FieldText(engine.GetRecord(0)->parameters).size(), 259u);
}

}  // namespace
}  // namespace pacetta
