#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "engine/profiles/profile.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kRestoringBalloon = "[info] Tarvello Restoring default values...: ";
const std::string kSavingBalloon = "[info] Tarvello Saving settings...: ";

enum class EndBy { kExitCommand, kTermination };

void End(const LifecycleRun& run, ChildProcess& program, EndBy how) {
  if (how == EndBy::kTermination) {
    program.Signal(SIGTERM);
  } else {
    EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  }
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
}

// The log holds exactly this run, closed by its stop line.
void ExpectClosedLog(const LifecycleRun& run) {
  const std::vector<std::string> lines = ReadLogLines(run.LogPath());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front().rfind("--Log started ", 0), 0u) << lines.front();
  EXPECT_EQ(lines.back().rfind("--Log stopped ", 0), 0u) << lines.back();
  size_t marks = 0;
  for (const std::string& line : lines) marks += line.rfind("--Log ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(marks, 2u);
}

TEST(LifecycleShutdown, AnExitCommandOrATerminationEndsInOrderAndSaves) {
  for (EndBy how : {EndBy::kExitCommand, EndBy::kTermination}) {
    SCOPED_TRACE(how == EndBy::kExitCommand ? "-exit" : "SIGTERM");
    LifecycleRun run;
    SeedValues values;
    values.profileAc = values.profileDc = kPowerSavingProfile;
    values.showInfoBalloons = 1;
    const SeededMachine machine = SeedSettings(run.ConfigHome(), values);
    const auto table = StoredBytes(machine.settingsPath, "PStatesData");
    ASSERT_TRUE(table);
    // An old file: only the save at the end can renew it.
    fs::last_write_time(machine.settingsPath, fs::file_time_type::clock::now() - 24h);
    const auto started = fs::file_time_type::clock::now() - 2s;

    auto program = run.Start();
    ASSERT_TRUE(WaitForStatus(
        *program, [&](const StatusLine& line) { return line.multiplier == machine.Slowest(); },
        60s))
        << program->Output() << program->Errors();
    End(run, *program, how);

    // Defaults are put back before the settings are saved, and no refresh runs once the
    // end has begun.
    const std::string& output = program->Output();
    const size_t restoring = output.find(kRestoringBalloon);
    const size_t saving = output.find(kSavingBalloon);
    ASSERT_NE(restoring, std::string::npos) << output;
    ASSERT_NE(saving, std::string::npos) << output;
    EXPECT_LT(restoring, saving);
    EXPECT_TRUE(StatusLines(output, restoring).empty()) << output.substr(restoring);
    ExpectClosedLog(run);

    // Saved at the end, with what was stored before: the table, the selection, and the
    // values the program reads but never writes.
    EXPECT_GT(fs::last_write_time(machine.settingsPath), started);
    EXPECT_EQ(StoredBytes(machine.settingsPath, "PStatesData"), table);
    EXPECT_EQ(StoredWord(machine.settingsPath, "ProfileAC"), uint32_t{kPowerSavingProfile});
    EXPECT_EQ(StoredWord(machine.settingsPath, "RefreshInterval"), 250u);
    EXPECT_EQ(StoredWord(machine.settingsPath, "ControlInterval"), 100u);
  }
}

// Management threads held by the start delay or by a system suspend are released at the
// end; waiting for them would hang the exit until the delay ran out, or for ever.
TEST(LifecycleShutdown, AnEndWhileManagementIsHeldDoesNotWaitForIt) {
  struct Case {
    const char* name;
    int32_t startDelayS;
    std::string scenario;
    std::string heldMark;  // shown once management is held
  };
  const Case cases[] = {
      {"start delay", 3600, "", ""},
      {"asleep", 0, "2s suspend\n",
       "[info] Entering suspend mode: Switching to power saving mode..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LifecycleRun run;
    SeedValues values;
    values.profileAc = values.profileDc = kMaximalPerformanceProfile;
    values.mgmtStartDelayS = c.startDelayS;
    values.suspendAction = 1;  // power saving while asleep
    values.showInfoBalloons = 1;
    const SeededMachine machine = SeedSettings(run.ConfigHome(), values);

    std::vector<std::string> extra;
    if (!c.scenario.empty()) extra.push_back("--sim-scenario=" + run.Scenario(c.scenario));
    auto program = run.Start(extra);
    ASSERT_TRUE(WaitForStatus(
        *program, [](const StatusLine&) { return true; }, 60s))
        << program->Output() << program->Errors();
    if (!c.heldMark.empty()) {
      ASSERT_TRUE(program->WaitForOutput(c.heldMark, 60s)) << program->Output();
    }
    const auto before = std::chrono::steady_clock::now();
    End(run, *program, EndBy::kTermination);
    // Restoring defaults waits at most half a second; the rest is joining threads.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 20s);
    EXPECT_NE(program->Output().find(kSavingBalloon), std::string::npos) << program->Output();
    ExpectClosedLog(run);
  }
}

}  // namespace
}  // namespace pacetta::testing
