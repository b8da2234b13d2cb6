#include "platform/sim/power/scenario_player.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

#include "platform/sim/simulated_pc.h"
#include "tests/sim_power/notice_recorder.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim {
namespace {

using platform::PowerNotice;
using testing::NoticeRecorder;
using testing::NoticesOf;

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;
constexpr uint64_t kStart = 40 * kS;  // the machine's clock at its start
constexpr std::chrono::seconds kBound{20};

// Time that moves only when the test moves it.
class ManualClock final : public SimClock {
 public:
  explicit ManualClock(uint64_t ns) : now_(ns) {}
  uint64_t NowNs() override { return now_.load(); }
  void WaitUntil(uint64_t ns) override {
    uint64_t now = now_.load();
    while (now < ns && !now_.compare_exchange_weak(now, ns)) {
    }
  }
  void Set(uint64_t ns) { now_ = ns; }

 private:
  std::atomic<uint64_t> now_;
};

std::vector<PowerStep> Steps(const char* text) {
  auto parse = ParsePowerScenario(text, "test");
  EXPECT_TRUE(parse.steps) << parse.error;
  return parse.steps.value_or(std::vector<PowerStep>{});
}

const char kDay[] =
    "3s unplug\n"
    "5s suspend\n"
    "7s resume\n"
    "9s plug\n";

TEST(PowerScenarioPlayer, PerformsEachStepWhenTheClockReachesIt) {
  SimPower power;
  auto clock = std::make_shared<ManualClock>(kStart);
  PowerScenarioPlayer player(Steps(kDay), power, clock, kStart);
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

TEST(PowerScenarioPlayer, TimesCountFromTheMachinesStartNotTheClocksZero) {
  SimPower power;
  auto clock = std::make_shared<ManualClock>(kStart);
  PowerScenarioPlayer player(Steps("0s unplug\n"), power, clock, kStart);
  EXPECT_EQ(player.RunDue(kStart - kMs), 0u);
  EXPECT_EQ(player.RunDue(kStart), 1u);
}

TEST(PowerScenarioPlayer, ItsThreadFollowsAHandMovedClock) {
  SimPower power;
  auto clock = std::make_shared<ManualClock>(kStart);
  NoticeRecorder recorder(&power);
  auto subscription = power.Subscribe(recorder);
  PowerScenarioPlayer player(Steps(kDay), power, clock, kStart);
  player.Start();

  clock->Set(kStart + 4 * kS);
  auto heard = recorder.WaitFor(1);
  EXPECT_EQ(heard[0].status->acLine, platform::kAcOffline);
  clock->Set(kStart + 9 * kS);
  heard = recorder.WaitFor(4);
  EXPECT_EQ(NoticesOf(heard), (std::vector{PowerNotice::kStatusChanged, PowerNotice::kSuspending,
                                           PowerNotice::kResumed, PowerNotice::kStatusChanged}));
  EXPECT_EQ(heard[3].status->acLine, platform::kAcOnline);
  // The thread ends with the last step; destruction does not wait for more.
}

TEST(PowerScenarioPlayer, StopsWithStepsStillAhead) {
  SimPower power;
  auto clock = std::make_shared<ManualClock>(kStart);
  {
    PowerScenarioPlayer player(Steps("1000min unplug\n"), power, clock, kStart);
    player.Start();
  }
  EXPECT_EQ(power.Status()->acLine, platform::kAcOnline);
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

}  // namespace
}  // namespace pacetta::sim
