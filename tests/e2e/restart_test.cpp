#include <gtest/gtest.h>

#include "app/window_messages.h"
#include "platform/linux/lock_file_events.h"
#include "platform/linux/socket_windows.h"
#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Restart, ARestartRequestEndsInOrderAndANewInstanceComesUp) {
  TempFolder runtime, config;
  ScopedEnv env("PACETTA_RUNTIME_DIR", runtime.Path());
  const std::vector<std::string> childEnv = {"PACETTA_RUNTIME_DIR=" + runtime.Path(),
                                             "XDG_CONFIG_HOME=" + config.Path(),
                                             "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  // Whatever happens, the instance the restart starts (not our child) is ended; with no
  // instance left, "-exit" would start a new one instead.
  struct EndInstance {
    std::vector<std::string> env;
    ~EndInstance() {
      linux_os::LockFileEvents events;
      bool existed = false;
      events.Create("Global\\PacettaRunningEvent", existed);
      if (existed) RunToEnd(kProgram, {"--simulate", "-exit"}, env);
    }
  } endInstance{childEnv};

  ChildProcess first(kProgram, {"--simulate", "--console"}, childEnv);
  ASSERT_TRUE(first.WaitForOutput("CPU 1:", 60s)) << first.Errors();
  linux_os::SocketWindows windows;
  auto window = windows.Find(kMainWindowClass, "Tarvello");
  ASSERT_TRUE(window);
  ASSERT_TRUE(window->Post({kMsgRestart, 0, 0}));
  EXPECT_EQ(first.WaitForExit(60s), 0);

  // The new instance shares our output pipe: its records appear a second time, and it
  // holds the instance and answers commands.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (Count(first.Output(), "CPU 1:") < 2 && std::chrono::steady_clock::now() < deadline) {
    first.WaitForOutput("never printed", 100ms);
  }
  ASSERT_EQ(Count(first.Output(), "CPU 1:"), 2u) << first.Output() << first.Errors();
  linux_os::LockFileEvents events;
  bool existed = false;
  auto probe = events.Create("Global\\PacettaRunningEvent", existed);
  EXPECT_TRUE(existed) << "the restarted instance runs";
  probe.reset();
  EXPECT_EQ(RunToEnd(kProgram, {"--simulate", "-resume"}, childEnv).exitCode, 0);
  EXPECT_TRUE(first.WaitForOutput("Resume notice received.", 60s));
}

}  // namespace
}  // namespace pacetta::testing
