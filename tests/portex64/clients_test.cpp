// Several clients at once, clients that die, and who may connect or stop the helper.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"
#include "tests/portex64/fake_tree.h"
#include "tools/portex64/refusal_log.h"

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

// Opens devices until the helper turns one away (at most `most`).
std::vector<std::unique_ptr<platform::Device>> OpenAll(const FakeTree& tree, size_t most = 16) {
  std::vector<std::unique_ptr<platform::Device>> devices;
  while (devices.size() < most) {
    auto device = OpenHelperDevice(tree);
    if (!device) break;
    devices.push_back(std::move(device));
  }
  return devices;
}

TEST(HelperClientsTest, ConnectionsBeyondTheLimitsAreTurnedAwayUntilOneLeaves) {
  FakeTree tree;
  HelperProcess helper(tree, {"--max-clients=3", "--max-per-user=2"});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  // Root is held back only by the total; anyone else by its share.
  auto devices = OpenAll(tree);
  EXPECT_EQ(devices.size(), geteuid() == 0 ? 3u : 2u);
  devices.erase(devices.begin());
  // The helper notices the departure asynchronously: retry within a bound.
  std::unique_ptr<platform::Device> next;
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!next && std::chrono::steady_clock::now() < deadline) {
    next = OpenHelperDevice(tree);
    if (!next) std::this_thread::sleep_for(10ms);
  }
  EXPECT_NE(next, nullptr);
}

TEST(HelperClientsTest, AQuietConnectionIsClosedUnlessItHoldsAUse) {
  FakeTree tree;
  HelperProcess helper(tree, {"--idle-timeout=1"});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  auto program = OpenHelperDevice(tree);
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(Request(*program, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2));
  linux_os::UniqueFd quiet = linux_os::ConnectUnixSocket(tree.SocketPath());
  ASSERT_TRUE(quiet.Valid());
  EXPECT_TRUE(linux_os::WaitForEndOfStream(quiet.Get(), 30s));
  // Quiet for at least as long, the program keeps its connection.
  EXPECT_TRUE(Request(*program, driver::kQueryVersion, {0, 0}, 2));
}

// Maps a range by a raw frame; the memory file that came with the answer.
linux_os::UniqueFd MapByFrame(const std::string& socket, uint32_t address, uint32_t length) {
  linux_os::UniqueFd fd = linux_os::ConnectUnixSocket(socket);
  const wire::RequestHeader header{wire::kMagic, driver::kMapPhysicalMemory, 16, 8, 0};
  const uint32_t words[4] = {address, 0, length, 0};
  wire::ResponseHeader answer;
  uint32_t out[2];
  linux_os::UniqueFd memory;
  if (!linux_os::SendAll(fd.Get(), &header, sizeof header) ||
      !linux_os::SendAll(fd.Get(), words, sizeof words) ||
      !linux_os::ReceiveWithFd(fd.Get(), &answer, sizeof answer, 30s, memory) ||
      !linux_os::ReceiveExact(fd.Get(), out, sizeof out, 30s) || answer.ok == 0) {
    return linux_os::UniqueFd();
  }
  return memory;
}

TEST(HelperClientsTest, EveryClientMapsTheSameSealedCopyOfARange) {
  FakeTree tree;
  HelperProcess helper(tree);
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  const auto inode = [](const linux_os::UniqueFd& fd) {
    struct stat info {};
    return fd.Valid() && fstat(fd.Get(), &info) == 0 ? info.st_ino : 0;
  };
  const auto first = MapByFrame(tree.SocketPath(), 0xF0000, 0x10000);
  const auto second = MapByFrame(tree.SocketPath(), 0xF0000, 0x10000);
  const auto other = MapByFrame(tree.SocketPath(), 0xFFFF0, 0x10);
  ASSERT_NE(inode(first), 0u);
  EXPECT_EQ(inode(second), inode(first));
  EXPECT_NE(inode(other), inode(first));
  EXPECT_NE(fcntl(first.Get(), F_GET_SEALS) & F_SEAL_WRITE, 0);
}

// Connects `count` times; how many of the connections the helper closed unserved.
int RefusedConnections(const std::string& socket, int count) {
  int refused = 0;
  for (int k = 0; k < count; ++k) {
    linux_os::UniqueFd fd = linux_os::ConnectUnixSocket(socket);
    if (fd.Valid() && linux_os::WaitForEndOfStream(fd.Get(), 30s)) ++refused;
  }
  return refused;
}

TEST(HelperClientsTest, AFloodOfRefusalsStaysQuietAndIsCounted) {
  FakeTree tree;
  HelperProcess helper(tree, {"--max-per-user=1", "--allow-uid=" + std::to_string(kNobody - 1)});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  auto held = OpenHelperDevice(tree);  // the one connection of a user other than root
  ASSERT_NE(held, nullptr);
  // Root's flood comes from a user the helper does not know; another user's finds no
  // connection left for it.
  constexpr int kFlood = 300;
  const auto start = std::chrono::steady_clock::now();
  int refused = 0;
  if (geteuid() == 0) {
    const int code = RunAs(kNobody, kNobody, {}, [&] {
      return RefusedConnections(tree.SocketPath(), kFlood) == kFlood ? 0 : 1;
    });
    refused = code == 0 ? kFlood : 0;
  } else {
    refused = RefusedConnections(tree.SocketPath(), kFlood);
  }
  const auto intervals =
      1 + (std::chrono::steady_clock::now() - start) / portex::RefusalLog::kInterval;
  ASSERT_EQ(refused, kFlood);
  EXPECT_TRUE(Request(*held, driver::kQueryVersion, {0, 0}, 2));
  helper.Child().Signal(SIGTERM);
  ASSERT_EQ(helper.Child().WaitForExit(30s), 0);

  // A few lines, and a count of the rest once their interval (or the helper) ended.
  std::istringstream errors(helper.Child().Errors());
  long shown = 0, hidden = 0;
  for (std::string line; std::getline(errors, line);) {
    if (line.find("refused a connection") != std::string::npos) ++shown;
    if (line.find("more refused connections not shown") != std::string::npos) {
      hidden += std::stol(line.substr(line.find(':') + 1));
    }
  }
  EXPECT_GE(shown, 1);
  EXPECT_LE(shown, static_cast<long>(portex::RefusalLog::kBurst * intervals));
  EXPECT_EQ(shown + hidden, kFlood) << helper.Child().Errors();
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

TEST_F(HelperPeersTest, AnotherUserCannotTakeTheConnectionKeptForRoot) {
  FakeTree tree;
  HelperProcess helper(
      tree, {"--max-clients=3", "--max-per-user=8", "--allow-uid=" + std::to_string(kNobody)});
  ASSERT_TRUE(helper.Ready()) << helper.Diagnostics();
  int counted[2], release[2];
  ASSERT_EQ(pipe(counted), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(90);
    const auto devices = OpenAll(tree);
    const char count = static_cast<char>(devices.size());
    char ignored;
    if (write(counted[1], &count, 1) != 1 || read(release[0], &ignored, 1) < 0) _exit(91);
    _exit(0);  // the connections are held until here
  }
  char count = 0;
  EXPECT_EQ(read(counted[0], &count, 1), 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(OpenAll(tree).size(), 1u);
  EXPECT_EQ(write(release[1], "x", 1), 1);
  waitpid(pid, nullptr, 0);
  for (int fd : {counted[0], counted[1], release[0], release[1]}) close(fd);
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
