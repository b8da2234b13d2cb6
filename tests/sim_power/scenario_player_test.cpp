#include "platform/sim/scenario/scenario_player.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/simulated_pc.h"
#include "tests/sim_power/notice_recorder.h"
#include "tests/test_support/manual_clock.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim {
namespace {

using platform::PowerNotice;
using platform::SystemPowerRequest;
using testing::ManualClock;
using testing::NoticeRecorder;
using testing::NoticesOf;

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;
constexpr uint64_t kStart = 40 * kS;  // the machine's clock at its start
constexpr std::chrono::seconds kBound{20};

std::vector<ScenarioStep> Steps(const char* text) {
  auto parse = ParseScenario(text, "test");
  EXPECT_TRUE(parse.steps) << parse.error;
  return parse.steps.value_or(std::vector<ScenarioStep>{});
}

// What a scenario acts on, on a clock that the test moves.
struct Targets {
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(kStart);
  SimPower power;
  SimLocalClock wallClock{clock};
  SimUserSession session{clock, kStart, power};

  ScenarioPlayer Player(const char* text) {
    return ScenarioPlayer(Steps(text), {power, session, wallClock}, clock, kStart);
  }
};

const char kDay[] =
    "3s unplug\n"
    "5s suspend\n"
    "7s resume\n"
    "9s plug\n";

TEST(ScenarioPlayer, PerformsEachStepWhenTheClockReachesIt) {
  Targets machine;
  ScenarioPlayer player = machine.Player(kDay);
  SimPower& power = machine.power;
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);

  EXPECT_EQ(player.RunDue(kStart + 3 * kS - 1), 0u) << "a nanosecond early";
  EXPECT_EQ(power.Status()->acLine, platform::kAcOnline);
  EXPECT_EQ(player.RunDue(kStart + 3 * kS), 1u);
  EXPECT_EQ(power.Status()->acLine, platform::kAcOffline);
  EXPECT_EQ(player.RunDue(kStart + 3 * kS), 0u) << "a step runs once";
  EXPECT_EQ(player.RunDue(kStart + 7 * kS), 2u) << "a late look catches up in order";
  EXPECT_FALSE(player.Finished());
  EXPECT_EQ(player.RunDue(kStart + 60 * kS), 1u);
  EXPECT_TRUE(player.Finished());
  ASSERT_TRUE(power.WaitDelivered(kBound));
  EXPECT_EQ(recorder.Notices(), (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending,
                                             PowerNotice::kResumed, PowerNotice::kStatusChanged}));
}

TEST(ScenarioPlayer, TimesCountFromTheMachinesStartNotTheClocksZero) {
  Targets machine;
  ScenarioPlayer player = machine.Player("0s unplug\n");
  EXPECT_EQ(player.RunDue(kStart - kMs), 0u);
  EXPECT_EQ(player.RunDue(kStart), 1u);
}

// The readings follow the steps' own times, however late the player looks.
TEST(ScenarioPlayer, SetsTheWallClockRunsProgramsAndTakesInputAtTheStepsTimes) {
  Targets machine;
  ScenarioPlayer player = machine.Player(
      "2s clock 2024-05-06 08:30:00\n"
      "3s process start Editor\n"
      "3s process start Editor\n"
      "3s process start Player\n"
      "4s process end Editor\n"
      "5s input\n");
  constexpr int64_t kSetSeconds = 1714984200;  // 2024-05-06 08:30:00 UTC
  const auto look = [&](uint64_t sinceStartNs) {
    machine.clock->Set(kStart + sinceStartNs);
    player.RunDue(kStart + sinceStartNs);
  };

  look(2500 * kMs);
  const platform::LocalTime reading = machine.wallClock.Now();
  EXPECT_EQ(reading.year, 2024);
  EXPECT_EQ(reading.month, 5);
  EXPECT_EQ(reading.day, 6);
  EXPECT_EQ(reading.hour, 8);
  EXPECT_EQ(reading.minute, 30);
  EXPECT_EQ(reading.second, 0);
  EXPECT_EQ(reading.millisecond, 500) << "set at 2 s, read at 2.5 s";

  const std::vector<std::string> desktop(SimUserSession::kDesktopPrograms.begin(),
                                         SimUserSession::kDesktopPrograms.end());
  auto withUsers = [&](std::vector<std::string> users) {
    std::vector<std::string> names = desktop;
    names.insert(names.end(), users.begin(), users.end());
    return names;
  };
  look(3 * kS);
  EXPECT_EQ(machine.session.RunningProgramNames(100), withUsers({"Editor", "Editor", "Player"}));
  look(4900 * kMs);
  EXPECT_EQ(machine.session.RunningProgramNames(100), withUsers({"Editor", "Player"}))
      << "one of two programs of a name ends";
  EXPECT_EQ(machine.session.RunningProgramNames(desktop.size() + 1), withUsers({"Editor"}))
      << "the limit leaves the rest out";
  EXPECT_EQ(machine.session.IdleMilliseconds(), 4900u) << "idle since the machine's start";

  look(70 * kS);
  EXPECT_EQ(machine.session.IdleMilliseconds(), 65000u) << "idle since the input step";
  EXPECT_EQ(machine.wallClock.EpochSeconds(), kSetSeconds + 68);
  EXPECT_TRUE(player.Finished());
}

TEST(ScenarioPlayer, ItsThreadFollowsAHandMovedClock) {
  Targets machine;
  NoticeRecorder recorder(&machine.power);
  auto subscription = machine.power.Subscribe(recorder);
  ScenarioPlayer player = machine.Player(kDay);
  player.Start();

  machine.clock->Set(kStart + 4 * kS);
  auto heard = recorder.WaitFor(1);
  EXPECT_EQ(heard[0].status->acLine, platform::kAcOffline);
  machine.clock->Set(kStart + 9 * kS);
  heard = recorder.WaitFor(4);
  EXPECT_EQ(NoticesOf(heard), (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending,
                                           PowerNotice::kResumed, PowerNotice::kStatusChanged}));
  EXPECT_EQ(heard[3].status->acLine, platform::kAcOnline);
  // The thread ends with the last step; destruction does not wait for more.
}

TEST(ScenarioPlayer, StopsWithStepsStillAhead) {
  Targets machine;
  {
    ScenarioPlayer player = machine.Player("1000min unplug\n");
    player.Start();
  }
  EXPECT_EQ(machine.power.Status()->acLine, platform::kAcOnline);
}

// A whole simulated PC given a scenario file, as `--sim-scenario` gives it.
struct ScenarioPc {
  explicit ScenarioPc(const std::string& scenarioText) {
    std::ofstream(folder.File("scenario")) << scenarioText;
    options.machine = "k8-x2-laptop";
    options.stateFolder = folder.File("state");
    options.settingsPath = folder.File("settings.json");
    options.clock = clock;
    options.scenario = folder.File("scenario");
  }
  testing::TempFolder folder;
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(kStart);
  SimulationOptions options;
};

TEST(SimulatedPcPower, PlaysTheScenarioThroughThePlatformView) {
  ScenarioPc rig(kDay);
  std::string error;
  auto pc = SimulatedPc::Create(rig.options, error);
  ASSERT_TRUE(pc) << error;
  platform::Power& power = pc->View().power;
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);

  rig.clock->Set(kStart + 6 * kS);
  auto heard = recorder.WaitFor(2);
  EXPECT_EQ(NoticesOf(heard), (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending}));
  ASSERT_TRUE(pc->PowerSupply().WaitDelivered(kBound));
  EXPECT_TRUE(pc->PowerSupply().Asleep()) << "between 5 s and 7 s the machine sleeps";
  rig.clock->Set(kStart + 10 * kS);
  heard = recorder.WaitFor(4);
  EXPECT_EQ(NoticesOf(heard), (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending,
                                           PowerNotice::kResumed, PowerNotice::kStatusChanged}));
  EXPECT_EQ(power.Status()->acLine, platform::kAcOnline);
}

TEST(SimulatedPcPower, ABadScenarioStopsTheMachineWithTheLine) {
  ScenarioPc rig("3s unplug\n5s unplug\n");
  std::string error;
  EXPECT_FALSE(SimulatedPc::Create(rig.options, error));
  EXPECT_EQ(error.rfind(rig.options.scenario + ":2: unplug cannot happen here", 0), 0u) << error;
}

TEST(SimulatedPcPower, ATestDrivesThePowerSupplyDirectly) {
  ScenarioPc rig("");
  rig.options.scenario.clear();
  std::string error;
  auto pc = SimulatedPc::Create(rig.options, error);
  ASSERT_TRUE(pc) << error;
  NoticeRecorder recorder;
  auto subscription = pc->View().power.Subscribe(recorder);
  EXPECT_TRUE(pc->UnplugAc());
  EXPECT_TRUE(pc->Suspend());
  EXPECT_TRUE(pc->PlugAc());
  EXPECT_TRUE(pc->Resume());
  ASSERT_TRUE(pc->PowerSupply().WaitDelivered(kBound));
  EXPECT_EQ(NoticesOf(recorder.WaitFor(4)),
            (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending,
                         PowerNotice::kResumed, PowerNotice::kStatusChanged}))
      << "plugged in while asleep: announced after the resume";
}

// The program's view has the simulated session and wall clock, and every system power
// request it makes reaches the record file that `--sim-actions` names.
TEST(SimulatedPcSession, ThePlatformViewRecordsRequestsAndReadsTheScenariosClock) {
  ScenarioPc rig("1s clock 2030-01-01 00:00:00\n1s unplug\n");
  rig.options.actions = rig.folder.File("actions");
  std::string error;
  auto pc = SimulatedPc::Create(rig.options, error);
  ASSERT_TRUE(pc) << error;
  platform::Platform& view = pc->View();
  ASSERT_EQ(view.session, &pc->Session());
  NoticeRecorder recorder;
  auto subscription = view.power.Subscribe(recorder);

  rig.clock->Set(kStart + 1500 * kMs);
  recorder.WaitFor(1);  // the unplug, played after the clock step of the same moment
  EXPECT_EQ(view.localClock.EpochSeconds(), 1893456000);  // 2030-01-01 00:00:00 UTC
  EXPECT_EQ(view.localClock.Now().millisecond, 500);

  EXPECT_TRUE(view.session->RequestSystemPower(SystemPowerRequest::kPowerOff));
  rig.clock->Set(kStart + 3250 * kMs);
  EXPECT_TRUE(view.session->RequestSystemPower(SystemPowerRequest::kStandby))
      << "the power-off left the machine running";
  EXPECT_EQ(NoticesOf(recorder.WaitFor(2)),
            (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending}));

  std::ifstream file(rig.options.actions);
  const std::string lines((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(lines, "1.500 power-off\n3.250 standby\n");
}

TEST(SimulatedPcSession, ARecordFileThatCannotBeOpenedStopsTheStart) {
  ScenarioPc rig("");
  rig.options.actions = rig.folder.File("no/such/actions");
  std::string error;
  EXPECT_FALSE(SimulatedPc::Create(rig.options, error));
  EXPECT_EQ(error.rfind("cannot open the power request record " + rig.options.actions, 0), 0u)
      << error;
}

}  // namespace
}  // namespace pacetta::sim
