// A message box shown by the desktop program before its window runs ends when the
// program is asked to end (a logout, a kill), as the running program does.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

#ifdef PACETTA_E2E_DESKTOP

// Whether every signal in `mask` is blocked in the program's main thread: it blocks the
// end signals once its watcher takes them over.
bool Blocks(const ChildProcess& program, unsigned long mask) {
  const std::string blocked = program.StatusField("SigBlk");
  return blocked != "?" && (std::stoul(blocked, nullptr, 16) & mask) == mask;
}

TEST(DesktopSignals, AStartUpMessageBoxEndsOnTheEndSignals) {
  const unsigned long endSignals = (1ul << (SIGTERM - 1)) | (1ul << (SIGINT - 1));
  for (const int signal : {SIGTERM, SIGINT}) {
    TempFolder runtime, config;
    ChildProcess program(std::string(PACETTA_BIN_DIR) + "/pacetta", {"--simulate", "-help"},
                         {"PACETTA_RUNTIME_DIR=" + runtime.Path(),
                          "XDG_CONFIG_HOME=" + config.Path(), "QT_QPA_PLATFORM=offscreen"});
    ASSERT_TRUE(program.Started());
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!Blocks(program, endSignals) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(Blocks(program, endSignals)) << "the program never took the signals over";
    program.Signal(signal);
    const int code = program.WaitForExit(60s);
    if (code < 0) program.Signal(SIGKILL);
    EXPECT_EQ(code, 0) << "signal " << signal << ": the help box kept the program alive\n"
                       << program.Errors();
  }
}

#endif

}  // namespace
}  // namespace pacetta::testing
