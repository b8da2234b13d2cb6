// Several clients at once, clients that die, and who may connect or stop the helper.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
namespace wire = linux_os::helper_wire;

constexpr uid_t kNobody = 65534;
constexpr gid_t kHelperGroup = 64321;  // no user's primary group

uint32_t UseCount(platform::Device& device) {
  std::vector<uint32_t> out;
  if (!Request(device, driver::kChangeUseCount, {driver::kUseCountTag, 0}, 2, &out)) return ~0u;
  return out[0];
}

// Waits, up to a generous bound, until the helper reports `expected` uses.
bool WaitForUseCount(platform::Device& device, uint32_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (UseCount(device) == expected) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// Runs `body` in a child process as user `uid` with the given groups; its exit code.
template <typename Body>
int RunAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(groups.size(), groups.data()) != 0 || setgid(gid) != 0 || setuid(uid) != 0) {
      _exit(90);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// 0: the helper answered a version request; 1: the connection was refused.
int TryVersion(const FakeTree& tree) {
  return OpenHelperDevice(tree) != nullptr ? 0 : 1;
}

int TryStop(const std::string& socket) {
  linux_os::UniqueFd fd = linux_os::ConnectUnixSocket(socket);
  wire::RequestHeader header;
  header.code = wire::kStopRequest;
  wire::ResponseHeader answer;
  if (!fd.Valid() || !linux_os::SendAll(fd.Get(), &header, sizeof header) ||
      !linux_os::ReceiveExact(fd.Get(), &answer, sizeof answer, 30s)) {
    return 2;
  }
  return answer.ok ? 0 : 1;
}

TEST(HelperClientsTest, ConcurrentClientsKeepTheirOwnConfigurationAddress) {
  FakeTree tree;
  HelperProcess helper(tree);
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  // One K8 node per client: an address written by one client must never steer another
  // client's data access.
  constexpr int kClients = 4;
  for (int node = 0; node < kClients; ++node) {
    tree.SetConfig((0x18 + node) << 3 | 3, 0xE4, 0x1000u * (node + 1));
  }
  std::atomic<int> wrong{0}, failed{0};
  std::vector<std::thread> clients;
  for (int node = 0; node < kClients; ++node) {
    clients.emplace_back([&, node] {
      auto device = OpenHelperDevice(tree);
      if (!device) {
        ++failed;
        return;
      }
      const uint32_t devfn = (0x18 + node) << 3 | 3;
      for (int round = 0; round < 300; ++round) {
        std::vector<uint32_t> out;
        if (!Request(*device, driver::kWritePortDword, {0xCF8, 0x80000000u | devfn << 8 | 0xE4},
                     2) ||
            !Request(*device, driver::kReadPortDword, {0xCFC, 0}, 2, &out)) {
          ++failed;
        } else if (out[1] != 0x1000u * (node + 1)) {
          ++wrong;
        }
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(wrong, 0);
}

TEST(HelperClientsTest, AClientThatDiesGivesBackItsUses) {
  FakeTree tree;
  HelperProcess helper(tree);
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  auto watcher = OpenHelperDevice(tree);
  ASSERT_TRUE(Request(*watcher, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2));

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    auto device = OpenHelperDevice(tree);
    const bool added = device &&
                       Request(*device, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2) &&
                       Request(*device, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2);
    const char byte = added ? 1 : 0;
    [[maybe_unused]] const ssize_t put = write(ready[1], &byte, 1);
    pause();  // killed below, without closing anything in order
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  close(ready[1]);
  ASSERT_EQ(byte, 1);
  EXPECT_EQ(UseCount(*watcher), 3u);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_TRUE(WaitForUseCount(*watcher, 1));
}

TEST(HelperClientsTest, MoreClientsThanAllowedAreTurnedAwayUntilOneLeaves) {
  FakeTree tree;
  HelperProcess helper(tree, {"--max-clients=2"});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  auto first = OpenHelperDevice(tree);
  auto second = OpenHelperDevice(tree);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(OpenHelperDevice(tree), nullptr);
  first.reset();
  // The helper notices the departure asynchronously: retry within a bound.
  std::unique_ptr<platform::Device> third;
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!third && std::chrono::steady_clock::now() < deadline) {
    third = OpenHelperDevice(tree);
    if (!third) std::this_thread::sleep_for(10ms);
  }
  EXPECT_NE(third, nullptr);
}

class HelperPeersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "switching users needs root";
  }
};

TEST_F(HelperPeersTest, OnlyRootTheAllowedUsersAndTheGroupMayConnect) {
  FakeTree tree;
  HelperProcess helper(tree, {"--allow-uid=" + std::to_string(kNobody - 1),
                              "--group=" + std::to_string(kHelperGroup)});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  EXPECT_EQ(TryVersion(tree), 0);  // root
  EXPECT_EQ(RunAs(kNobody - 1, kNobody, {}, [&] { return TryVersion(tree); }), 0);
  // The socket is open to all once extra users are named: the peer check decides.
  EXPECT_EQ(RunAs(kNobody, kNobody, {}, [&] { return TryVersion(tree); }), 1);
  EXPECT_EQ(RunAs(kNobody, kHelperGroup, {}, [&] { return TryVersion(tree); }), 0);
  EXPECT_EQ(RunAs(kNobody, kNobody, {100, kHelperGroup}, [&] { return TryVersion(tree); }), 0);
}

TEST_F(HelperPeersTest, OnlyRootOrTheStarterMayStopTheHelper) {
  FakeTree tree;
  HelperProcess helper(tree, {"--group=" + std::to_string(kHelperGroup)});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  // A member of the group may use the helper but not end it.
  EXPECT_EQ(RunAs(kNobody, kHelperGroup, {}, [&] { return TryStop(tree.SocketPath()); }), 1);
  EXPECT_TRUE(linux_os::UnixSocketAnswers(tree.SocketPath()));
  EXPECT_EQ(TryStop(tree.SocketPath()), 0);
  EXPECT_EQ(helper.Child().WaitForExit(30s), 0);
  EXPECT_FALSE(std::filesystem::exists(tree.SocketPath()));
}

}  // namespace
}  // namespace pacetta::testing
