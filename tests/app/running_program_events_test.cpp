// The events module inside the running program on the simulated laptop: the program's
// own answers, notices and timer feed the real engines, whose actions act on it.
#include <gtest/gtest.h>

#include "addins/addin_object.h"
#include "addins/event_records.h"
#include "app/lifecycle/running_program.h"
#include "engine/profiles/profile.h"
#include "tests/app/program_rig.h"

namespace pacetta {
namespace {

using addins::ActionType;
using addins::EventType;
using namespace std::chrono_literals;

enum Rule : int32_t { kEditor, kOnBattery, kHot, kSuspending, kResumed, kRuleCount };

std::vector<uint8_t> Rules() {
  std::vector<addins::EventRecord> events(kRuleCount, addins::BlankEvent());
  const std::pair<EventType, int32_t> kinds[] = {{EventType::kApplicationRunning, 0},
                                                 {EventType::kPowerSourceIs, 0},
                                                 {EventType::kTemperatureAbove, 1},
                                                 {EventType::kSuspending, 0},
                                                 {EventType::kResumed, 0}};
  for (int32_t i = 0; i < kRuleCount; ++i) {
    events[static_cast<size_t>(i)].enabled = 1;
    events[static_cast<size_t>(i)].type = static_cast<int32_t>(kinds[i].first);
    addins::WriteParameter(events[static_cast<size_t>(i)].parameters, 0, kinds[i].second);
  }
  addins::SetFieldText(events[kEditor].parameters, "editor.bin");
  const auto* bytes = reinterpret_cast<const uint8_t*>(events.data());
  return {bytes, bytes + events.size() * sizeof(addins::EventRecord)};
}

std::vector<uint8_t> EditorAction() {
  addins::ActionRecord action = addins::BlankAction(ActionType::kChangeProfile);
  action.enabled = 1;
  action.eventIndex = kEditor;
  addins::WriteParameter(action.parameters, addins::kProfileIndexAt, kMaximalPerformanceProfile);
  addins::WriteParameter<int32_t>(action.parameters, addins::kRestoreProfileAt, 1);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&action);
  return {bytes, bytes + sizeof(action)};
}

TEST(RunningProgramEvents, TheProgramsAnswersAndNoticesDriveTheEventsAndTheirActions) {
  testing::ProgramRig rig("k8-x2-laptop");
  sim::SimulatedPc& pc = rig.Pc();
  {
    auto key = pc.View().registry.OpenUserKey("Software\\Norvane\\Pacetta\\ProFeatures", true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword("ModuleVersion", addins::kVireonVersion));
    ASSERT_TRUE(key->WriteBinary("EventsData", Rules()));
    ASSERT_TRUE(key->WriteBinary("ActionsData", EditorAction()));
    ASSERT_TRUE(key->Flush());
  }
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  MainWindow& window = rig.Window();
  {
    ProFeatures* lists = program.ProFeaturesLists();
    ASSERT_NE(lists, nullptr);
    ASSERT_EQ(lists->EventCount(), kRuleCount);
    const auto activeRules = [&] {
      std::vector<int32_t> active;
      for (int32_t i = 0; i < kRuleCount; ++i) {
        if (lists->Status(i).active) active.push_back(i);
      }
      return active;
    };
    // The first refresh brings the temperature the next evaluation sees.
    program.OnRefreshTimer();
    program.OnRefreshTimer();
    EXPECT_EQ(activeRules(), std::vector<int32_t>{kHot});

    const int32_t before = program.SelectionInUse().ac;
    pc.Session().StartProgram("Editor.bin");
    program.OnRefreshTimer();
    EXPECT_EQ(activeRules(), (std::vector<int32_t>{kEditor, kHot}));
    EXPECT_EQ(program.SelectionInUse().ac, kMaximalPerformanceProfile);
    ASSERT_TRUE(pc.Session().EndProgram("Editor.bin"));
    program.OnRefreshTimer();
    EXPECT_EQ(program.SelectionInUse().ac, before) << "the action gives the profile back";

    ASSERT_TRUE(pc.UnplugAc());
    ASSERT_TRUE(pc.PowerSupply().WaitDelivered(30s));
    window.ProcessPending();
    program.OnRefreshTimer();
    EXPECT_EQ(activeRules(), (std::vector<int32_t>{kOnBattery, kHot}));

    // The suspend is evaluated within its notice, the resume after the program's own
    // handling; each is active for that one evaluation.
    const auto sleepAndWake = [&](bool (sim::SimulatedPc::*step)(), Rule rule) {
      auto notice = std::async(std::launch::async, [&] {
        EXPECT_TRUE((pc.*step)());
        return pc.PowerSupply().WaitDelivered(30s);
      });
      while (notice.wait_for(5ms) != std::future_status::ready) window.ProcessPending();
      EXPECT_TRUE(notice.get());
      window.ProcessPending();
      EXPECT_TRUE(lists->Status(rule).active) << rule;
      program.OnRefreshTimer();
      EXPECT_FALSE(lists->Status(rule).active) << rule;
    };
    sleepAndWake(&sim::SimulatedPc::Suspend, kSuspending);
    sleepAndWake(&sim::SimulatedPc::Resume, kResumed);

    // Custom profiles come with the module; an action on one that goes loses it.
    ASSERT_TRUE(program.ProFeaturesLoaded());
    const std::optional<int32_t> custom = program.AddProfile("Quiet");
    ASSERT_EQ(custom, 4);
    addins::ActionRecord quiet = addins::BlankAction(ActionType::kChangeProfile);
    quiet.enabled = 1;
    quiet.eventIndex = kOnBattery;
    addins::WriteParameter(quiet.parameters, addins::kProfileIndexAt, *custom);
    const std::optional<int32_t> added = lists->AddAction(quiet);
    ASSERT_TRUE(added);
    ASSERT_TRUE(program.DeleteProfile(*custom));
    EXPECT_EQ(
        addins::ReadParameter<int32_t>(lists->Action(*added).parameters, addins::kProfileIndexAt),
        -1);
    EXPECT_EQ(lists->Action(*added).enabled, 0);
  }
  EXPECT_TRUE(rig.Close());
}

}  // namespace
}  // namespace pacetta
