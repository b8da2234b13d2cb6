#include <gtest/gtest.h>

#include "engine/profiles/profile.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kMaximalBalloon =
    "[info] Entering suspend mode: Switching to maximal performance mode...";
const std::string kResumedBalloon = "[info] Tarvello resumed: ";

std::function<bool(const StatusLine&)> Showing(const std::string& multiplier,
                                               const std::string& powerSource = {},
                                               const std::string& profile = {}) {
  return [=](const StatusLine& line) {
    return line.multiplier == multiplier &&
           (powerSource.empty() || line.powerSource == powerSource) &&
           (profile.empty() || line.profile == profile);
  };
}

// Milliseconds from `from` to `to` on the log's clock of the day, across midnight too.
int64_t Elapsed(int64_t from, int64_t to) {
  constexpr int64_t kDay = 24 * 3600 * 1000;
  return ((to - from) % kDay + kDay) % kDay;
}

void EndWithExitCommand(const LifecycleRun& run, ChildProcess& program) {
  EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
}

TEST(Lifecycle, TheStartDelayHoldsTheProcessorsWhileStatusAndLogRunFromTheStart) {
  LifecycleRun run;
  SeedValues values;
  values.profileAc = values.profileDc = kPowerSavingProfile;
  values.mgmtStartDelayS = 3;
  const SeededMachine machine = SeedSettings(run.ConfigHome(), values);
  ASSERT_NE(machine.startMultiplier, machine.Slowest()) << "the change would not show";

  auto program = run.Start();
  const auto slow = WaitForStatus(*program, Showing(machine.Slowest()), 60s);
  ASSERT_TRUE(slow) << program->Output() << program->Errors();
  // Until then every status line showed the processors as they were found, under the
  // profile that is already in force.
  size_t before = 0;
  for (const StatusLine& line : StatusLines(program->Output())) {
    if (line.end >= slow->end) break;
    ++before;
    EXPECT_EQ(line.multiplier, machine.startMultiplier);
    EXPECT_EQ(line.profile, "Power saving");
  }
  EXPECT_GE(before, 2u) << program->Output();
  EndWithExitCommand(run, *program);

  // The log's time stamps place the change: not before the delay (with a wide margin for
  // the moments between arming the delay and the first record), and not long after it.
  std::optional<int64_t> first, changed;
  size_t recordsBefore = 0;
  for (const std::string& line : ReadLogLines(run.LogPath())) {
    const auto time = SampleTimeMs(line);
    if (!time) continue;
    if (!first) first = time;
    if (line.find(machine.slowestLogFid) != std::string::npos) {
      changed = time;
      break;
    }
    EXPECT_NE(line.find(machine.startLogFid), std::string::npos) << line;
    ++recordsBefore;
  }
  ASSERT_TRUE(first && changed) << "no change in the log";
  EXPECT_GE(Elapsed(*first, *changed), 2000);
  EXPECT_LT(Elapsed(*first, *changed), 3000 + 30000);
  EXPECT_GE(recordsBefore, 4u);
}

TEST(Lifecycle, SuspendAndResumeEndInTheProfilesStateWithTheirBalloons) {
  LifecycleRun run;
  SeedValues values;
  values.profileAc = values.profileDc = kPowerSavingProfile;
  values.suspendAction = 2;  // maximal performance while the machine sleeps
  values.showInfoBalloons = 1;
  values.mgmtStartDelayS = 1;
  const SeededMachine machine = SeedSettings(run.ConfigHome(), values);

  auto program = run.Start({"--sim-scenario=" + run.Scenario("6s suspend\n8s resume\n")});
  const auto managed = WaitForStatus(*program, Showing(machine.Slowest()), 60s);
  ASSERT_TRUE(managed) << program->Output() << program->Errors();
  ASSERT_TRUE(program->WaitForOutput(kMaximalBalloon, 60s, managed->end))
      << "the suspend must come after management began (a very slow start?)\n"
      << program->Output();
  const size_t suspended = program->Output().find(kMaximalBalloon, managed->end);
  const auto fastest = WaitForStatus(*program, Showing(machine.Fastest()), 30s, suspended);
  ASSERT_TRUE(fastest) << program->Output();

  ASSERT_TRUE(program->WaitForOutput(kResumedBalloon, 60s, suspended)) << program->Output();
  const size_t resumed = program->Output().find(kResumedBalloon, suspended);
  // Asleep, management was held at the suspend action's state.
  for (const StatusLine& line : StatusLines(program->Output(), fastest->end)) {
    if (line.end > resumed) break;
    EXPECT_EQ(line.multiplier, machine.Fastest());
  }
  // After the resume and its start delay the profile's state comes back.
  EXPECT_TRUE(
      WaitForStatus(*program, Showing(machine.Slowest(), "AC power", "Power saving"), 30s, resumed))
      << program->Output();
  EndWithExitCommand(run, *program);
}

TEST(Lifecycle, UnpluggingSwitchesFromTheOnDemandProfileToTheBatteryProfile) {
  LifecycleRun run;
  SeedValues values;
  values.profileAc = kOnDemandProfile;
  values.profileDc = kPowerSavingProfile;
  const SeededMachine machine = SeedSettings(run.ConfigHome(), values);

  auto program = run.Start(
      {"--sim-load=script:idle@4s,full", "--sim-scenario=" + run.Scenario("8s unplug\n")});
  // On demand follows the load on AC power: down while idle, up under full load.
  const auto idle =
      WaitForStatus(*program, Showing(machine.Slowest(), "AC power", "Performance on demand"), 60s);
  ASSERT_TRUE(idle) << program->Output() << program->Errors();
  const auto busy = WaitForStatus(
      *program, Showing(machine.Fastest(), "AC power", "Performance on demand"), 30s, idle->end);
  ASSERT_TRUE(busy) << "the unplug must come after the load rose (a very slow start?)\n"
                    << program->Output();
  // Unplugged, the battery's profile holds the slowest state whatever the load.
  const auto battery = WaitForStatus(
      *program, Showing(machine.Slowest(), "Battery", "Power saving"), 30s, busy->end);
  ASSERT_TRUE(battery) << program->Output();
  bool onBattery = false;
  for (const StatusLine& line : StatusLines(program->Output(), busy->end)) {
    onBattery = onBattery || line.powerSource == "Battery";
    if (onBattery) {
      EXPECT_EQ(line.powerSource, "Battery") << "the source went back";
      // The simulated battery's charge in percent, as its tray tooltip words it.
      EXPECT_NE(line.batteryCharge.find("%)"), std::string::npos) << line.batteryCharge;
    }
  }
  EndWithExitCommand(run, *program);
}

}  // namespace
}  // namespace pacetta::testing
