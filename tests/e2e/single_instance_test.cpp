#include <gtest/gtest.h>
#include <signal.h>

#include "platform/linux/lock_file_events.h"
#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

// Every test gets its own machine-wide runtime folder and settings folder, so runs in
// parallel never see each other's instance.
class ProgramTest : public ::testing::Test {
 protected:
  std::vector<std::string> Env() const {
    return {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path(),
            "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  }
  Finished Run(const std::vector<std::string>& arguments) {
    return RunToEnd(kProgram, arguments, Env());
  }
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments) {
    auto child = std::make_unique<ChildProcess>(kProgram, arguments, Env());
    EXPECT_TRUE(child->Started());
    return child;
  }

  TempFolder runtime_;
  TempFolder config_;
};

TEST_F(ProgramTest, TheRunningInstanceTakesTheCommandsOfASecondStartUntilExit) {
  auto first = Start({"--simulate", "--console"});
  ASSERT_TRUE(
      first->WaitForOutput("CPU 1: package 0, secondary 1, partner 0, vendor AuthenticAMD", 60s))
      << first->Output() << first->Errors();
  EXPECT_NE(first->Output().find("CPU 0: package 0, secondary 0, partner 1, vendor AuthenticAMD"),
            std::string::npos);

  // Each command shows in the status lines that follow it: the profile in use ends them.
  const auto command = [&](std::vector<std::string> arguments, const std::string& shown) {
    const size_t mark = first->Mark();
    EXPECT_EQ(Run(arguments).exitCode, 0);
    EXPECT_TRUE(first->WaitForOutput(shown, 30s, mark)) << shown << "\n" << first->Output();
  };
  ASSERT_TRUE(first->WaitForOutput("| No management\n", 30s));
  command({"--simulate", "-profile", "2"}, "| Maximal performance\n");
  command({"--simulate", "/NEXTPROFILE"}, "| Performance on demand\n");
  command({"--simulate", "-nextprofile"}, "| Power saving\n");           // past the last: profile 1
  command({"--simulate", "-prevprofile"}, "| Performance on demand\n");  // below 1: the last
  command({"--simulate", "-profile", "0"}, "| No management\n");
  command({"--simulate", "-resume"}, "Resume notice received.");
  // A start without a command only brings the running window forward.
  const Finished plain = Run({"--simulate"});
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.output, "");

  // The real machine's program finds the simulated instance too: one lock per machine.
  const Finished exit = Run({"-exit"});
  EXPECT_EQ(exit.exitCode, 0) << exit.errors;
  EXPECT_EQ(first->WaitForExit(60s), 0) << first->Errors();
}

TEST_F(ProgramTest, AHeldInstanceWithoutAWindowIsReported) {
  linux_os::LockFileEvents events;
  bool existed = false;
  setenv("PACETTA_RUNTIME_DIR", runtime_.Path().c_str(), 1);
  auto held = events.Create("Global\\PacettaRunningEvent", existed);
  unsetenv("PACETTA_RUNTIME_DIR");
  ASSERT_FALSE(existed);
  const Finished second = Run({"--simulate", "--console"});
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_EQ(second.errors, "[Error] Another instance of the application is already running.\n");
}

TEST_F(ProgramTest, EndOfSessionClosesInOrderAndFreesTheInstance) {
  for (int signal : {SIGTERM, SIGINT}) {
    auto first = Start({"--simulate=pentium4-ht", "--console"});
    ASSERT_TRUE(first->WaitForOutput("CPU 1:", 60s)) << first->Errors();
    first->Signal(signal);
    EXPECT_EQ(first->WaitForExit(60s), 0);
  }
  auto next = Start({"--simulate", "--console"});
  EXPECT_TRUE(next->WaitForOutput("CPU 0:", 60s)) << next->Errors();
  next->Signal(SIGTERM);
  EXPECT_EQ(next->WaitForExit(60s), 0);
}

TEST_F(ProgramTest, HelpIsShownWithoutStartingAndWithoutReachingAnInstance) {
  const Finished help = Run({"--simulate", "-?"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.output.rfind("[Tarvello] Pacetta command-line options:\n\n\n-?, -help", 0), 0u)
      << help.output;
  EXPECT_NE(help.output.find("\tn = 0: No management\n\tn = 1: Power saving\n"
                             "\tn = 2: Maximal performance\n\tn = 3: Performance on demand\n"),
            std::string::npos);
  EXPECT_NE(help.output.find("-unload - Attempt to uninstall currently loaded Portex64 driver"),
            std::string::npos);
  EXPECT_NE(Run({"--simulate", "--sim-32bit", "/help"}).output.find("loaded Portex32 driver"),
            std::string::npos);
}

}  // namespace
}  // namespace pacetta::testing
