#include <gtest/gtest.h>
#include <signal.h>

#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

class StartupFailureTest : public ::testing::Test {
 protected:
  Finished Run(const std::vector<std::string>& arguments) {
    return RunToEnd(kProgram, arguments,
                    {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path(),
                     "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
  }
  TempFolder runtime_;
  TempFolder config_;
};

const std::string kDriverLoadFailed =
    "[Error] Cannot install or load Portex64 driver. Make sure you're loading this\n"
    "application from not a read-only medium and/or a network drive, and\n"
    "that you're logged on with Administrator rights.\n";

TEST_F(StartupFailureTest, EachFailureEndsWithItsMessage) {
  struct Case {
    std::vector<std::string> arguments;
    std::string errors;
  } cases[] = {
      {{"--sim-os=4.10-9x"},
       "[Error] This application requires Windows 2000 or higher OS version.\n"},
      {{"--sim-os=4.0"}, "[Error] This application requires Windows 2000 or higher OS version.\n"},
      {{"--sim-affinity=0x1"},
       "[Error] Not all system processors are available to the process.\n"
       "The application cannot continue.\n"},
      {{"--sim-fault=no-driver-file"}, kDriverLoadFailed},
      {{"--sim-fault=manager-refused"}, kDriverLoadFailed},
      {{"--sim-fault=open-fails"}, kDriverLoadFailed},
      {{"--sim-fault=start-fails"}, kDriverLoadFailed},
      {{"--sim-fault=status-fails"}, kDriverLoadFailed},
      {{"--sim-fault=device-fails"}, kDriverLoadFailed},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"--simulate", "--console"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Finished run = Run(arguments);
    EXPECT_EQ(run.exitCode, 1) << c.arguments[0];
    EXPECT_EQ(run.errors, c.errors) << c.arguments[0];
    EXPECT_EQ(run.output, "") << c.arguments[0];
  }
}

TEST_F(StartupFailureTest, AnotherDriverVersionAsksAndCancelEnds) {
  const Finished run =
      Run({"--simulate", "--console", "--sim-fault=version=1.4", "--answer=cancel"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors,
            "[Warning] This application is designed to use Portex64 driver v1.5.\n"
            "Different version of Portex64 is installed and in use now.\n"
            "It is strongly recommended to close all applications using this\n"
            "driver and restart this application to allow correct driver\n"
            "version usage, otherwise it may not function properly.\n\n"
            "Attempt to uninstall currently loaded driver?\n\n"
            "Click \"Yes\" to proceed with uninstall.\n"
            "Click \"No\" to continue without uninstall (not recommended).\n"
            "Click \"Cancel\" to exit this application.\n"
            "[Warning] -> Cancel\n");
}

TEST_F(StartupFailureTest, TheUnloadCommandReportsWhetherAServiceWasRemoved) {
  // Nothing installed: there is no service to open for removal.
  const Finished none = Run({"--simulate", "-unload"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.errors,
            "[Tarvello] An error has occured while attempting to uninstall currently loaded "
            "instance of Portex64 driver.\n");
}

TEST_F(StartupFailureTest, AnotherDriverVersionCanBeKeptOrReplaced) {
  const std::vector<std::string> env = {"PACETTA_RUNTIME_DIR=" + runtime_.Path(),
                                        "XDG_CONFIG_HOME=" + config_.Path(),
                                        "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  // No: the program goes on with the other program's driver.
  {
    ChildProcess keep(kProgram,
                      {"--simulate", "--console", "--sim-fault=version=2.5", "--answer=no"}, env);
    ASSERT_TRUE(keep.WaitForOutput("CPU 1:", 60s)) << keep.Errors();
    EXPECT_NE(keep.Errors().find("[Warning] -> No"), std::string::npos);
    keep.Signal(SIGTERM);
    EXPECT_EQ(keep.WaitForExit(60s), 0);
  }
  // Yes: the other driver is removed and ours, of the expected version, installed; the
  // question is not asked again.
  {
    ChildProcess replace(
        kProgram, {"--simulate", "--console", "--sim-fault=version=1.4", "--answer=yes"}, env);
    ASSERT_TRUE(replace.WaitForOutput("CPU 1:", 60s)) << replace.Errors();
    replace.Signal(SIGTERM);
    EXPECT_EQ(replace.WaitForExit(60s), 0);
    const std::string& errors = replace.Errors();
    EXPECT_NE(errors.find("[Warning] -> Yes"), std::string::npos);
    const size_t first = errors.find("Attempt to uninstall");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(errors.find("Attempt to uninstall", first + 1), std::string::npos)
        << "asked once only: " << errors;
  }
}

TEST_F(StartupFailureTest, UnloadRemovesTheServiceEvenWhileAnInstanceRuns) {
  const std::vector<std::string> env = {"PACETTA_RUNTIME_DIR=" + runtime_.Path(),
                                        "XDG_CONFIG_HOME=" + config_.Path(),
                                        "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  ChildProcess running(kProgram, {"--simulate", "--console"}, env);
  ASSERT_TRUE(running.WaitForOutput("CPU 1:", 60s)) << running.Errors();
  const Finished unload = Run({"--simulate", "/unload"});
  EXPECT_EQ(unload.exitCode, 0);
  EXPECT_EQ(unload.output,
            "[Tarvello] Currently loaded instance of Portex64 driver was uninstalled "
            "successfully.\n");
  // The running instance was not asked anything and goes on.
  EXPECT_EQ(running.WaitForExit(0s), -1);
  running.Signal(SIGTERM);
  EXPECT_EQ(running.WaitForExit(60s), 0);
}

}  // namespace
}  // namespace pacetta::testing
