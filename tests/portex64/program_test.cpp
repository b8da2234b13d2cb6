// The program on the real-machine platform, reaching the hardware through the helper
// on a fake device tree (found through PACETTA_PORTEX_SOCKET).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "hw/driver_protocol.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

constexpr uid_t kNobody = 65534;

// A run as root takes the system's socket whatever PACETTA_PORTEX_SOCKET says: under root
// the program runs as another user, whom the helper lets in.
class ProgramOnHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(helper_.Ready()) << helper_.Diagnostics();
    if (geteuid() == 0) {
      for (const TempFolder* folder : {&runtime_, &config_}) {
        ASSERT_EQ(chown(folder->Path().c_str(), kNobody, kNobody), 0);
      }
      // The build folder may lie where "nobody" cannot reach (a clone under /root): the
      // program runs from a copy that it can, with the driver file it looks for beside it.
      ASSERT_EQ(chmod(programFolder_.Path().c_str(), 0755), 0);
      for (const char* name : {"pacetta", "Portex64"}) {
        const std::string copy = programFolder_.Path() + "/" + name;
        std::filesystem::copy_file(std::string(PACETTA_BIN_DIR) + "/" + name, copy);
        ASSERT_EQ(chmod(copy.c_str(), 0755), 0);
      }
      program_ = programFolder_.Path() + "/pacetta";
    }
  }
  std::unique_ptr<ChildProcess> Program(std::vector<std::string> options) const {
    if (geteuid() != 0) return std::make_unique<ChildProcess>(kProgram, options, Env());
    std::vector<std::string> arguments{"--reuid=" + std::to_string(kNobody),
                                       "--regid=" + std::to_string(kNobody), "--clear-groups", "--",
                                       program_};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return std::make_unique<ChildProcess>("/usr/bin/setpriv", arguments, Env());
  }
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
  HelperProcess helper_{tree_, {"--allow-uid=" + std::to_string(kNobody)}};
  TempFolder runtime_;
  TempFolder config_;
  TempFolder programFolder_;
  std::string program_ = kProgram;
};

TEST_F(ProgramOnHelperTest, TheCpuReportReadsRegistersAndLeavesAHelperItDidNotStart) {
  auto run = Program({"--cpu-report"});
  ASSERT_EQ(run->WaitForExit(120s), 0) << run->Errors();
  std::istringstream lines(run->Output());
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    const auto report = nlohmann::json::parse(line);
    EXPECT_TRUE(report.contains("limits")) << "the driver answered: " << line;
  }
  EXPECT_EQ(count, static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)));
  // The report was the helper's last user, but it did not start the helper (a system
  // service would not come back): the helper runs on, with no use left.
  auto watcher = OpenHelperDevice(tree_);
  ASSERT_NE(watcher, nullptr);
  EXPECT_EQ(UseCount(*watcher), 0u);
}

TEST_F(ProgramOnHelperTest, TheConsoleHoldsOneUseWhileItRunsAndLeavesOtherUsersTheHelper) {
  auto watcher = OpenHelperDevice(tree_);
  ASSERT_NE(watcher, nullptr);
  ASSERT_TRUE(Request(*watcher, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2));

  auto program = Program({"--console"});
  ASSERT_TRUE(program->Started());
  ASSERT_TRUE(program->WaitForOutput("CPU 0:", 60s)) << program->Output() << program->Errors();
  // It monitors on the real platform: status lines, "N/A" where a value cannot be read.
  ASSERT_TRUE(program->WaitForOutput("| No management\n", 60s)) << program->Output();
  EXPECT_TRUE(WaitForUseCount(*watcher, 2));
  program->Signal(SIGTERM);
  EXPECT_EQ(program->WaitForExit(60s), 0) << program->Errors();
  // Another user remains, so the program left the helper running.
  EXPECT_TRUE(WaitForUseCount(*watcher, 1));
  EXPECT_TRUE(linux_os::UnixSocketAnswers(tree_.SocketPath()));
}

}  // namespace
}  // namespace pacetta::testing
