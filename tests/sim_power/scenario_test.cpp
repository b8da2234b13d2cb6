#include "platform/sim/scenario/scenario.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/sim/power/battery_pack.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;

TEST(Scenario, ReadsTimedStepsWithUnitsCommentsAndCharges) {
  const auto parse = ParseScenario(
      "# a day on the road\n"
      "\n"
      "3s unplug\n"
      "  3.25s   battery 40%   # after the meeting\n"
      "5000ms SUSPEND\n"
      "0.125min resume\n"
      "9s plug\n"
      "9s battery 100\n",
      "trip");
  ASSERT_TRUE(parse.steps) << parse.error;
  const auto& steps = *parse.steps;
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(steps[0].atNs, 3 * kS);
  EXPECT_EQ(steps[0].action, ScenarioAction::kUnplug);
  EXPECT_EQ(steps[0].line, 3u);
  EXPECT_EQ(steps[1].atNs, 3250 * kMs);
  EXPECT_EQ(steps[1].action, ScenarioAction::kBattery);
  EXPECT_EQ(steps[1].percent, 40u);
  EXPECT_EQ(steps[2].atNs, 5 * kS);
  EXPECT_EQ(steps[2].action, ScenarioAction::kSuspend);
  EXPECT_EQ(steps[3].atNs, 7500 * kMs);
  EXPECT_EQ(steps[3].action, ScenarioAction::kResume);
  EXPECT_EQ(steps[4].action, ScenarioAction::kPlug);
  EXPECT_EQ(steps[5].percent, 100u);
  EXPECT_EQ(steps[5].line, 8u);
}

TEST(Scenario, BatteriesAreInsertedAndRemovedUpToTheMachinesRoom) {
  const auto parse = ParseScenario("1s battery remove\n2s Battery INSERT\n", "bay");
  ASSERT_TRUE(parse.steps) << parse.error;
  ASSERT_EQ(parse.steps->size(), 2u);
  EXPECT_EQ((*parse.steps)[0].action, ScenarioAction::kRemoveBattery);
  EXPECT_EQ((*parse.steps)[1].action, ScenarioAction::kInsertBattery);

  std::string full;
  for (size_t i = 1; i <= SimBatteryPack::kMostBatteries; ++i) full += "1s battery insert\n";
  const auto overfull = ParseScenario(full, "bay", 1);
  EXPECT_FALSE(overfull.steps);
  EXPECT_NE(overfull.error.find("the machine holds no more batteries"), std::string::npos)
      << overfull.error;
}

TEST(Scenario, SetsTheClockAndKeepsTheCaseOfProgramNames) {
  const auto parse = ParseScenario(
      "1s clock 2024-02-29 23:59:58\n"
      "2s process start VideoEditor\n"
      "2s Process Start VideoEditor  # a second window\n"
      "3s PROCESS END VideoEditor\n"
      "4s input\n",
      "desk");
  ASSERT_TRUE(parse.steps) << parse.error;
  const auto& steps = *parse.steps;
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0].action, ScenarioAction::kSetClock);
  EXPECT_EQ(steps[0].epochSeconds, 1709251198);
  EXPECT_EQ(steps[1].action, ScenarioAction::kStartProgram);
  EXPECT_EQ(steps[2].program, "VideoEditor");
  EXPECT_EQ(steps[3].action, ScenarioAction::kEndProgram);
  EXPECT_EQ(steps[3].program, "VideoEditor");
  EXPECT_EQ(steps[4].action, ScenarioAction::kInput);
  EXPECT_EQ(steps[4].atNs, 4 * kS);
}

TEST(Scenario, EmptyTextIsAScenarioWithoutSteps) {
  const auto parse = ParseScenario("# nothing happens\n\n", "quiet");
  ASSERT_TRUE(parse.steps);
  EXPECT_TRUE(parse.steps->empty());
}

TEST(Scenario, ErrorsNameTheFileAndLine) {
  struct Case {
    const char* text;
    const char* error;  // the start of the message
  };
  const Case cases[] = {
      {"1s unplug\nlater plug\n", "s.txt:2: bad time 'later'"},
      {"3 unplug\n", "s.txt:1: bad time '3'"},
      {"3h unplug\n", "s.txt:1: bad time '3h'"},
      {"1.s unplug\n", "s.txt:1: bad time '1.s'"},
      {"-1s unplug\n", "s.txt:1: bad time '-1s'"},
      {"99999999999999999999s unplug\n", "s.txt:1: bad time"},
      {"# start\n2s\n", "s.txt:2: missing action after 2s"},
      {"2s hibernate\n", "s.txt:1: unknown action 'hibernate'"},
      {"2s unplug now\n", "s.txt:1: unexpected 'now'"},
      {"2s battery\n", "s.txt:1: battery needs a charge"},
      {"2s battery 101%\n", "s.txt:1: battery needs a charge"},
      {"2s battery ten\n", "s.txt:1: battery needs a charge"},
      {"2s battery 50 % \n", "s.txt:1: unexpected '%'"},
      {"5s unplug\n3s plug\n", "s.txt:2: time 3s is earlier than the step before"},
      {"1s plug\n", "s.txt:1: plug cannot happen here: the machine is already on AC power"},
      {"1s unplug\n2s unplug\n", "s.txt:2: unplug cannot happen here"},
      {"1s resume\n", "s.txt:1: resume cannot happen here: the machine is not suspended"},
      {"1s suspend\n2s suspend\n", "s.txt:2: suspend cannot happen here"},
      {"1s battery remove\n2s battery remove\n",
       "s.txt:2: battery remove cannot happen here: the machine has no battery"},
      {"1s battery remove\n2s battery 50\n", "s.txt:2: battery cannot happen here"},
      {"2s battery out\n", "s.txt:1: battery needs a charge of 0 to 100 %, insert or remove"},
      {"1s clock 2024-05-06\n", "s.txt:1: clock needs a date from 1970 and a time"},
      {"1s clock 2023-02-29 10:00:00\n", "s.txt:1: clock needs a date"},
      {"1s clock 2024-04-31 10:00:00\n", "s.txt:1: clock needs a date"},
      {"1s clock 2024-05-06 24:00:00\n", "s.txt:1: clock needs a date"},
      {"1s clock 2024-5-6 10:00:00\n", "s.txt:1: clock needs a date"},
      {"1s clock 1969-12-31 23:59:59\n", "s.txt:1: clock needs a date"},
      {"1s clock 2024-05-06 10:00:00 UTC\n", "s.txt:1: unexpected 'utc'"},
      {"1s process start\n", "s.txt:1: process needs start or end and the program's file name"},
      {"1s process run Editor\n", "s.txt:1: process needs start or end"},
      {"1s process start /usr/bin/Editor\n",
       "s.txt:1: a program is named by its file name alone, without folder: /usr/bin/Editor"},
      {"1s process start Editor now\n", "s.txt:1: unexpected 'now'"},
      {"1s process end Editor\n",
       "s.txt:1: process end cannot happen here: no program Editor is running"},
      {"1s process start Editor\n2s process end editor\n",
       "s.txt:2: process end cannot happen here: no program editor is running"},
      {"1s process start A\n1s process start A\n2s process end A\n3s process end A\n"
       "4s process end A\n",
       "s.txt:5: process end cannot happen here"},
      {"1s suspend\n2s process start A\n",
       "s.txt:2: process start cannot happen here: the machine is suspended"},
      {"1s suspend\n2s input\n", "s.txt:2: input cannot happen here: the machine is suspended"},
      {"1s input now\n", "s.txt:1: unexpected 'now'"},
  };
  for (const Case& c : cases) {
    const auto parse = ParseScenario(c.text, "s.txt");
    EXPECT_FALSE(parse.steps) << c.text;
    EXPECT_EQ(parse.error.rfind(c.error, 0), 0u) << c.text << " gave: " << parse.error;
  }
}

TEST(Scenario, LoadsAFileAndNamesAMissingOne) {
  testing::TempFolder folder;
  const std::string path = folder.File("day.scenario");
  std::ofstream(path) << "1s unplug\n2s plug\n2s plugg\n";
  const auto bad = LoadScenario(path);
  EXPECT_EQ(bad.error, path +
                           ":3: unknown action 'plugg' (plug, unplug, suspend, resume, battery, "
                           "clock, process or input)");

  std::ofstream(path) << "1s unplug\n2s plug\n";
  const auto good = LoadScenario(path);
  ASSERT_TRUE(good.steps) << good.error;
  EXPECT_EQ(good.steps->size(), 2u);

  const auto missing = LoadScenario(folder.File("absent"));
  EXPECT_FALSE(missing.steps);
  EXPECT_NE(missing.error.find(folder.File("absent")), std::string::npos);
  EXPECT_FALSE(LoadScenario(folder.Path()).steps) << "a folder is no scenario";
}

}  // namespace
}  // namespace pacetta::sim
