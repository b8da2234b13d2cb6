#include "platform/sim/power/power_scenario.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/sim/power/battery_pack.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;

TEST(PowerScenario, ReadsTimedStepsWithUnitsCommentsAndCharges) {
  const auto parse = ParsePowerScenario(
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
  EXPECT_EQ(steps[0].action, PowerAction::kUnplug);
  EXPECT_EQ(steps[0].line, 3u);
  EXPECT_EQ(steps[1].atNs, 3250 * kMs);
  EXPECT_EQ(steps[1].action, PowerAction::kBattery);
  EXPECT_EQ(steps[1].percent, 40u);
  EXPECT_EQ(steps[2].atNs, 5 * kS);
  EXPECT_EQ(steps[2].action, PowerAction::kSuspend);
  EXPECT_EQ(steps[3].atNs, 7500 * kMs);
  EXPECT_EQ(steps[3].action, PowerAction::kResume);
  EXPECT_EQ(steps[4].action, PowerAction::kPlug);
  EXPECT_EQ(steps[5].percent, 100u);
  EXPECT_EQ(steps[5].line, 8u);
}

TEST(PowerScenario, BatteriesAreInsertedAndRemovedUpToTheMachinesRoom) {
  const auto parse = ParsePowerScenario("1s battery remove\n2s Battery INSERT\n", "bay");
  ASSERT_TRUE(parse.steps) << parse.error;
  ASSERT_EQ(parse.steps->size(), 2u);
  EXPECT_EQ((*parse.steps)[0].action, PowerAction::kRemoveBattery);
  EXPECT_EQ((*parse.steps)[1].action, PowerAction::kInsertBattery);

  std::string full;
  for (size_t i = 1; i <= SimBatteryPack::kMostBatteries; ++i) full += "1s battery insert\n";
  const auto overfull = ParsePowerScenario(full, "bay", 1);
  EXPECT_FALSE(overfull.steps);
  EXPECT_NE(overfull.error.find("the machine holds no more batteries"), std::string::npos)
      << overfull.error;
}

TEST(PowerScenario, EmptyTextIsAScenarioWithoutSteps) {
  const auto parse = ParsePowerScenario("# nothing happens\n\n", "quiet");
  ASSERT_TRUE(parse.steps);
  EXPECT_TRUE(parse.steps->empty());
}

TEST(PowerScenario, ErrorsNameTheFileAndLine) {
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
  };
  for (const Case& c : cases) {
    const auto parse = ParsePowerScenario(c.text, "s.txt");
    EXPECT_FALSE(parse.steps) << c.text;
    EXPECT_EQ(parse.error.rfind(c.error, 0), 0u) << c.text << " gave: " << parse.error;
  }
}

TEST(PowerScenario, LoadsAFileAndNamesAMissingOne) {
  testing::TempFolder folder;
  const std::string path = folder.File("day.scenario");
  std::ofstream(path) << "1s unplug\n2s plug\n2s plugg\n";
  const auto bad = LoadPowerScenario(path);
  EXPECT_EQ(bad.error, path +
                           ":3: unknown action 'plugg' (plug, unplug, suspend, resume, battery "
                           "PERCENT, battery insert or "
                           "battery remove)");

  std::ofstream(path) << "1s unplug\n2s plug\n";
  const auto good = LoadPowerScenario(path);
  ASSERT_TRUE(good.steps) << good.error;
  EXPECT_EQ(good.steps->size(), 2u);

  const auto missing = LoadPowerScenario(folder.File("absent"));
  EXPECT_FALSE(missing.steps);
  EXPECT_NE(missing.error.find(folder.File("absent")), std::string::npos);
  EXPECT_FALSE(LoadPowerScenario(folder.Path()).steps) << "a folder is no scenario";
}

}  // namespace
}  // namespace pacetta::sim
