// Users outside the group, let in and allowed to change hardware state as polkit decides,
// against a fake authority on a private bus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "hw/driver_protocol.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

constexpr gid_t kHelperGroup = 64321;
constexpr uid_t kMember = 65534;
constexpr uid_t kAgentYes = 65533;  // the active session's user; the password is entered
constexpr uid_t kAgentNo = 65532;   // ... the dialogue is dismissed
constexpr uid_t kInactive = 65531;
constexpr uid_t kRemote = 65530;  // no local session
constexpr uid_t kAgentSilent = 65529;

constexpr uint32_t kClockModulation = 0x19A;
constexpr uint32_t kModulationValue = 0x12;  // enable, duty cycle 1: within the write mask

// The fake authority on a bus of its own, with the sessions above.
class FakeAuthority {
 public:
  explicit FakeAuthority(const FakeTree& tree) : log_(tree.Root() + "/polkit.log") {
    const std::string source = PACETTA_SOURCE_DIR;
    std::vector<std::string> arguments = {
        source + "/tests/portex64/fake_polkit_authority.py",
        "--bus-config=" + source + "/tests/portex64/fake_system_bus.conf",
        "--policy=" + source + "/packaging/com.norvane.pacetta.policy",
        "--log=" + log_,
    };
    for (const auto& [uid, session] : {std::pair{kAgentYes, ":active:yes"},
                                       {kAgentNo, ":active:no"},
                                       {kInactive, ":inactive:yes"},
                                       {kAgentSilent, ":active:silent"}}) {
      arguments.push_back("--session=" + std::to_string(uid) + session);
    }
    child_ =
        std::make_unique<ChildProcess>("/usr/bin/python3", arguments, std::vector<std::string>{});
    if (child_->WaitForOutput("DBUS_SYSTEM_BUS_ADDRESS=", 30s) &&
        child_->WaitForOutput("\n", 30s, child_->Output().find("DBUS_SYSTEM_BUS_ADDRESS="))) {
      const std::string& output = child_->Output();
      const size_t start = output.find("DBUS_SYSTEM_BUS_ADDRESS=");
      address_ = output.substr(start, output.find('\n', start) - start);
    }
  }
  // The helper's environment: DBUS_SYSTEM_BUS_ADDRESS=...; empty when the fake failed.
  const std::string& Address() const { return address_; }
  std::string Diagnostics() { return child_->Errors(); }

  // The calls logged so far for `action` by `uid`.
  std::vector<nlohmann::json> Calls(const std::string& action, uid_t uid) const {
    std::vector<nlohmann::json> calls;
    std::ifstream log(log_);
    for (std::string line; std::getline(log, line);) {
      const auto call = nlohmann::json::parse(line);
      if (call["action"] == action && call["uid"] == uid) calls.push_back(call);
    }
    return calls;
  }

 private:
  std::string log_;
  std::unique_ptr<ChildProcess> child_;
  std::string address_;
};

const std::string kReadSensors = "com.norvane.pacetta.read-sensors";
const std::string kChangeStates = "com.norvane.pacetta.change-states";

// What a client managed: exit codes of the child that tried.
enum Outcome { kReadAndWrite = 0, kRefused = 1, kReadFailed = 2, kReadOnly = 3 };

// Connects, reads an MSR and writes `writes` times (one connection each of `connections`).
int Try(const FakeTree& tree, int writes = 1, int connections = 1) {
  int outcome = kReadAndWrite;
  for (int c = 0; c < connections; ++c) {
    auto device = OpenHelperDevice(tree);
    if (!device) return kRefused;
    if (!Request(*device, driver::kReadMsr, {0x198, 0, 0}, 3)) return kReadFailed;
    for (int w = 0; w < writes; ++w) {
      if (!Request(*device, driver::kWriteMsr, {kClockModulation, 0, kModulationValue}, 3)) {
        outcome = kReadOnly;
      }
    }
  }
  return outcome;
}

class HelperPolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "switching users needs root";
    ASSERT_FALSE(authority_.Address().empty()) << authority_.Diagnostics();
  }
  HelperProcess StartHelper(const std::string& busAddress) {
    return HelperProcess(tree_, {"--group=" + std::to_string(kHelperGroup), "--polkit"},
                         {busAddress});
  }

  FakeTree tree_;
  FakeAuthority authority_{tree_};
};

TEST_F(HelperPolkitTest, PolkitDecidesWhatUsersOutsideTheGroupMayDo) {
  const std::string unreachable = "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + tree_.Root() + "/no-bus";
  struct Case {
    const char* who;
    uid_t uid;
    gid_t gid;
    bool polkitRuns;
    Outcome outcome;
  } cases[] = {
      {"member", kMember, kHelperGroup, true, kReadAndWrite},
      {"active, password entered", kAgentYes, kAgentYes, true, kReadAndWrite},
      {"active, dialogue dismissed", kAgentNo, kAgentNo, true, kReadOnly},
      {"inactive session", kInactive, kInactive, true, kRefused},
      {"no local session", kRemote, kRemote, true, kRefused},
      {"member, polkit unreachable", kMember, kHelperGroup, false, kReadAndWrite},
      {"active, polkit unreachable", kAgentYes, kAgentYes, false, kRefused},
  };
  for (const Case& c : cases) {
    tree_.SetMsr(0, kClockModulation, 0);
    HelperProcess helper = StartHelper(c.polkitRuns ? authority_.Address() : unreachable);
    ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
    EXPECT_EQ(RunAs(c.uid, c.gid, {}, [&] { return Try(tree_); }), c.outcome) << c.who;
    EXPECT_EQ(tree_.Msr(0, kClockModulation), c.outcome == kReadAndWrite ? kModulationValue : 0u)
        << c.who;
    helper.Child().Signal(SIGTERM);
    ASSERT_EQ(helper.Child().WaitForExit(30s), 0) << c.who;
    const std::string uid = std::to_string(c.uid);
    const std::string errors = helper.Child().Errors();
    EXPECT_EQ(errors.find("refused a connection of user " + uid) != std::string::npos,
              c.outcome == kRefused)
        << c.who << ": " << errors;
    EXPECT_EQ(errors.find("refused hardware changes of user " + uid) != std::string::npos,
              c.outcome == kReadOnly)
        << c.who << ": " << errors;
  }
}

TEST_F(HelperPolkitTest, EachConnectionAsksOnceAndMembersNever) {
  HelperProcess helper = StartHelper(authority_.Address());
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  // Three writes on each of two connections; a refusal is kept as long as a consent.
  EXPECT_EQ(RunAs(kAgentYes, kAgentYes, {}, [&] { return Try(tree_, 3, 2); }), kReadAndWrite);
  EXPECT_EQ(RunAs(kAgentNo, kAgentNo, {}, [&] { return Try(tree_, 3); }), kReadOnly);
  EXPECT_EQ(RunAs(kMember, kHelperGroup, {}, [&] { return Try(tree_, 3, 2); }), kReadAndWrite);

  const auto reads = authority_.Calls(kReadSensors, kAgentYes);
  const auto changes = authority_.Calls(kChangeStates, kAgentYes);
  ASSERT_EQ(reads.size(), 2u);
  ASSERT_EQ(changes.size(), 2u);
  // Only the change may bring up the agent's dialogue; both name the client's process.
  EXPECT_EQ(reads[0]["flags"], 0);
  EXPECT_EQ(changes[0]["flags"], 1);
  EXPECT_EQ(reads[0]["pid"], changes[1]["pid"]);
  EXPECT_EQ(changes[1]["result"], "authorized");
  EXPECT_EQ(authority_.Calls(kChangeStates, kAgentNo).size(), 1u);
  EXPECT_TRUE(authority_.Calls(kReadSensors, kMember).empty());
  EXPECT_TRUE(authority_.Calls(kChangeStates, kMember).empty());
}

TEST_F(HelperPolkitTest, AStopEndsAWaitForThePassword) {
  HelperProcess helper = StartHelper(authority_.Address());
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  std::thread client([&] {
    EXPECT_NE(RunAs(kAgentSilent, kAgentSilent, {}, [&] { return Try(tree_); }), kReadAndWrite);
  });
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (authority_.Calls(kChangeStates, kAgentSilent).empty() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(authority_.Calls(kChangeStates, kAgentSilent).size(), 1u);
  const auto stopped = std::chrono::steady_clock::now();
  helper.Child().Signal(SIGTERM);
  EXPECT_EQ(helper.Child().WaitForExit(30s), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 10s);
  client.join();
}

}  // namespace
}  // namespace pacetta::testing
