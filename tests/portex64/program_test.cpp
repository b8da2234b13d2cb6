// The program on the real-machine platform, reaching the hardware through the helper
// on a fake device tree (found through PACETTA_PORTEX_SOCKET).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "hw/driver_protocol.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

class ProgramOnHelperTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(helper_.Ready()) << helper_.Diagnostics(); }
  std::vector<std::string> Env() const {
    return {"PACETTA_PORTEX_SOCKET=" + tree_.SocketPath(),
            "PACETTA_RUNTIME_DIR=" + runtime_.Path(),
            "XDG_CONFIG_HOME=" + config_.Path(),
            "DISPLAY=",
            "WAYLAND_DISPLAY=",
            "QT_QPA_PLATFORM="};
  }
  uint32_t UseCount(platform::Device& device) {
    std::vector<uint32_t> out;
    if (!Request(device, driver::kChangeUseCount, {driver::kUseCountTag, 0}, 2, &out)) return ~0u;
    return out[0];
  }
  bool WaitForUseCount(platform::Device& device, uint32_t expected) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (UseCount(device) == expected) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  FakeTree tree_;
  HelperProcess helper_{tree_};
  TempFolder runtime_;
  TempFolder config_;
};

TEST_F(ProgramOnHelperTest, TheCpuReportReadsRegistersAndTheLastUserUnloads) {
  const Finished run = RunToEnd(kProgram, {"--cpu-report"}, Env());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  std::istringstream lines(run.output);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    const auto report = nlohmann::json::parse(line);
    EXPECT_TRUE(report.contains("limits")) << "the driver answered: " << line;
  }
  EXPECT_EQ(count, static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)));
  // The report was the helper's only user: at its exit it ends the helper, which root
  // (and only root, or the helper's starter) may do.
  if (geteuid() == 0) {
    EXPECT_EQ(helper_.Child().WaitForExit(60s), 0) << helper_.Diagnostics();
  } else {
    EXPECT_TRUE(linux_os::UnixSocketAnswers(tree_.SocketPath()));
  }
}

TEST_F(ProgramOnHelperTest, TheConsoleHoldsOneUseWhileItRunsAndLeavesOtherUsersTheHelper) {
  auto watcher = OpenHelperDevice(tree_);
  ASSERT_NE(watcher, nullptr);
  ASSERT_TRUE(Request(*watcher, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2));

  ChildProcess program(kProgram, {"--console"}, Env());
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.WaitForOutput("CPU 0:", 60s)) << program.Output() << program.Errors();
  // It monitors on the real platform: status lines, "N/A" where a value cannot be read.
  ASSERT_TRUE(program.WaitForOutput("| No management\n", 60s)) << program.Output();
  EXPECT_TRUE(WaitForUseCount(*watcher, 2));
  program.Signal(SIGTERM);
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
  // Another user remains, so the program left the helper running.
  EXPECT_TRUE(WaitForUseCount(*watcher, 1));
  EXPECT_TRUE(linux_os::UnixSocketAnswers(tree_.SocketPath()));
}

}  // namespace
}  // namespace pacetta::testing
