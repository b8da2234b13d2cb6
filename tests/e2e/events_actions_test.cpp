// The user's rules on the simulated laptop, driven by a scenario: a daily moment, a
// program that starts, a battery running low, and the standby the last one asks for.
#include <gtest/gtest.h>

#include <fstream>

#include "addins/addin_object.h"
#include "addins/event_records.h"
#include "engine/profiles/profile.h"
#include "platform/linux/file_registry.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
using addins::ActionType;
using addins::EventType;

addins::EventRecord Event(EventType type, int32_t sources = addins::kOnAc | addins::kOnBattery) {
  addins::EventRecord event = addins::BlankEvent();
  event.enabled = 1;
  event.type = static_cast<int32_t>(type);
  event.sources = sources;
  return event;
}

addins::ActionRecord Action(ActionType type, int32_t eventIndex, int32_t profile = -1,
                            bool restore = false) {
  addins::ActionRecord action = addins::BlankAction(type);
  action.enabled = 1;
  action.eventIndex = eventIndex;
  if (type == ActionType::kChangeProfile) {
    addins::WriteParameter(action.parameters, addins::kProfileIndexAt, profile);
    addins::WriteParameter<int32_t>(action.parameters, addins::kRestoreProfileAt, restore ? 1 : 0);
  }
  return action;
}

template <typename Record>
std::vector<uint8_t> Bytes(std::initializer_list<Record> records) {
  std::vector<uint8_t> bytes;
  for (const Record& record : records) {
    const auto* first = reinterpret_cast<const uint8_t*>(&record);
    bytes.insert(bytes.end(), first, first + sizeof(Record));
  }
  return bytes;
}

void SeedRules(const std::string& settingsPath) {
  addins::EventRecord daily = Event(EventType::kDaily);
  addins::WriteParameter(daily.parameters, addins::kStartTimeAt,
                         addins::CalendarTime{2026, 12, 3, 9, 8, 0, 0, 0});
  addins::WriteParameter<int32_t>(daily.parameters, addins::kRepeatOrDaysAt, 3600);
  addins::EventRecord editor = Event(EventType::kApplicationRunning);
  addins::SetFieldText(editor.parameters, "Editor.bin");
  addins::EventRecord lowBattery = Event(EventType::kBatteryBelow, addins::kOnBattery);
  addins::WriteParameter<int32_t>(lowBattery.parameters, 0, 40);

  linux_os::FileRegistry registry(settingsPath);
  auto key = registry.OpenUserKey("Software\\Norvane\\Pacetta\\ProFeatures", true);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteDword("ModuleVersion", addins::kVireonVersion));
  ASSERT_TRUE(key->WriteBinary("EventsData", Bytes({daily, editor, lowBattery})));
  ASSERT_TRUE(key->WriteBinary(
      "ActionsData", Bytes({Action(ActionType::kChangeProfile, 0, kPowerSavingProfile),
                            Action(ActionType::kChangeProfile, 1, kMaximalPerformanceProfile, true),
                            Action(ActionType::kStandby, 2)})));
  ASSERT_TRUE(key->Flush());
}

std::function<bool(const StatusLine&)> WithProfile(const std::string& profile,
                                                   const std::string& source = "AC power") {
  return
      [=](const StatusLine& line) { return line.profile == profile && line.powerSource == source; };
}

TEST(EventsAndActions, ADailyMomentAProgramAndALowBatteryActOnTheSimulatedLaptop) {
  LifecycleRun run;
  SeedValues values;
  values.profileAc = values.profileDc = kOnDemandProfile;
  const SeededMachine machine = SeedSettings(run.ConfigHome(), values);
  SeedRules(machine.settingsPath);
  if (::testing::Test::HasFatalFailure()) return;
  const std::string requests = run.ConfigHome() + "/power-requests.txt";

  // The daily moment is 08:00:00, 25 s into the run: the rules are evaluated well before.
  auto program = run.Start({"--sim-actions=" + requests,
                            "--sim-scenario=" + run.Scenario("0s clock 2026-12-09 07:59:35\n"
                                                             "30s process start editor.BIN\n"
                                                             "36s unplug\n"
                                                             "36s battery 30\n")});
  const auto onDemand = WaitForStatus(*program, WithProfile("Performance on demand"), 60s);
  ASSERT_TRUE(onDemand) << program->Output() << program->Errors();
  const auto saving = WaitForStatus(*program, WithProfile("Power saving"), 60s, onDemand->end);
  ASSERT_TRUE(saving) << "the daily moment changes the AC profile\n" << program->Output();
  const auto maximal =
      WaitForStatus(*program, WithProfile("Maximal performance"), 60s, saving->end);
  ASSERT_TRUE(maximal) << "the program's start changes it again\n" << program->Output();
  // On battery the battery's profile runs; the low charge asks for a standby.
  EXPECT_TRUE(
      WaitForStatus(*program, WithProfile("Performance on demand", "Battery"), 60s, maximal->end))
      << program->Output();
  std::string line;
  EXPECT_TRUE(WaitUntil(
      [&] {
        std::ifstream file(requests);
        return std::getline(file, line) && line.ends_with(" standby");
      },
      60s))
      << "recorded: " << line;
  EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  EXPECT_EQ(program->WaitForExit(60s), 0) << program->Errors();
}

}  // namespace
}  // namespace pacetta::testing
