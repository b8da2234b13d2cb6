// The desktop program in a real X session: its icons dock in a real tray host, come back
// with a "restored" balloon when the tray host starts again (even unseen), and the battery's icon
// joins them on battery power.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <fstream>

#include "tests/e2e/child_process.h"
#include "tests/e2e/settings_seed.h"
#include "tests/e2e/x_session.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

#ifdef PACETTA_E2E_DESKTOP

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

TEST(TrayHost, TheIconsDockAndComeBackWhenTheTrayHostRestarts) {
  XSession session;
  ASSERT_TRUE(session.Ready()) << session.Failure();
  ASSERT_TRUE(session.StartTrayHost());

  TempFolder runtime, config;
  SeedValues seed;
  seed.showInfoBalloons = 1;
  seed.runMinimized = 1;
  SeedSettings(config.Path(), seed);
  std::vector<std::string> environment = session.Environment();
  environment.insert(environment.end(),
                     {"PACETTA_RUNTIME_DIR=" + runtime.Path(), "XDG_CONFIG_HOME=" + config.Path(),
                      "QT_QPA_PLATFORM=xcb"});
  ChildProcess program(kProgram, {"--simulate"}, environment);
  ASSERT_TRUE(program.Started());
  // A fresh start shows the frequency and load icons, then the main icon.
  const auto three = [](int docked) { return docked == 3; };
  EXPECT_TRUE(session.WaitForDocked("pacetta", three)) << program.Errors();
  EXPECT_TRUE(program.WaitForOutput("Tarvello started", 60s));

  // The second restart happens while the program is stopped, as a program starved on a
  // loaded machine sees it: the tray host is already back when it looks.
  for (const bool frozen : {false, true}) {
    SCOPED_TRACE(frozen ? "restarted while the program is stopped" : "restarted");
    if (frozen) program.Signal(SIGSTOP);
    session.StopTrayHost();
    EXPECT_EQ(session.DockedWindows("pacetta"), -1);
    const size_t mark = program.Mark();
    ASSERT_TRUE(session.StartTrayHost());
    if (frozen) program.Signal(SIGCONT);
    EXPECT_TRUE(session.WaitForDocked("pacetta", three));
    EXPECT_TRUE(program.WaitForOutput("Tarvello restored", 60s, mark)) << program.Output();
  }

  const Finished exit = RunToEnd(kProgram, {"-exit"}, environment);
  EXPECT_EQ(exit.exitCode, 0) << exit.errors;
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
  EXPECT_TRUE(session.WaitForDocked("pacetta", [](int docked) { return docked == 0; }));
}

// The scenario unplugs the simulated laptop (the battery's icon docks beside the other
// three) and plugs it in again: after seconds on battery the charge still reads 100%,
// and a full battery shows no icon on AC power.
TEST(TrayHost, TheBatteryIconDocksOnBatteryAndGoesOnACWithAFullBattery) {
  XSession session;
  ASSERT_TRUE(session.Ready()) << session.Failure();
  ASSERT_TRUE(session.StartTrayHost());

  TempFolder runtime, config;
  SeedValues seed;
  seed.runMinimized = 1;
  SeedSettings(config.Path(), seed);
  const std::string scenario = config.Path() + "/unplug.scenario";
  std::ofstream(scenario) << "2s unplug\n20s plug\n";
  std::vector<std::string> environment = session.Environment();
  environment.insert(environment.end(),
                     {"PACETTA_RUNTIME_DIR=" + runtime.Path(), "XDG_CONFIG_HOME=" + config.Path(),
                      "QT_QPA_PLATFORM=xcb"});
  ChildProcess program(kProgram, {"--simulate", "--sim-scenario=" + scenario}, environment);
  ASSERT_TRUE(program.Started());
  EXPECT_TRUE(session.WaitForDocked("pacetta", [](int docked) { return docked == 4; }))
      << program.Errors();
  EXPECT_TRUE(session.WaitForDocked("pacetta", [](int docked) { return docked == 3; }))
      << program.Errors();

  const Finished exit = RunToEnd(kProgram, {"-exit"}, environment);
  EXPECT_EQ(exit.exitCode, 0) << exit.errors;
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
}

#endif

}  // namespace
}  // namespace pacetta::testing
