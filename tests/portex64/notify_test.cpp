// The helper as a Type=notify service: it tells the service manager once it listens.
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/linux/helper_socket.h"
#include "tests/portex64/fake_tree.h"
#include "tools/portex64/service_notify.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// A datagram socket standing in for the service manager's, at a path or under an
// abstract name; `Name()` is the NOTIFY_SOCKET value that reaches it.
class ManagerSocket {
 public:
  ManagerSocket(const TempFolder& folder, bool abstract) {
    name_ = abstract ? "@pacetta-notify-" + std::to_string(getpid()) + "-" + folder.Path()
                     : folder.File("notify");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name_.data(), name_.size());
    if (abstract) address.sun_path[0] = '\0';
    fd_.Reset(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    bound_ = bind(fd_.Get(), reinterpret_cast<sockaddr*>(&address),
                  static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name_.size())) == 0;
  }
  bool Bound() const { return bound_; }
  const std::string& Name() const { return name_; }
  // The next message, or "" when none came within `timeout`.
  std::string Receive(std::chrono::milliseconds timeout) {
    pollfd entry{fd_.Get(), POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(timeout.count())) != 1) return "";
    char buffer[256];
    const ssize_t got = recv(fd_.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : "";
  }

 private:
  std::string name_;
  linux_os::UniqueFd fd_;
  bool bound_ = false;
};

TEST(HelperNotifyTest, TheHelperReportsReadyOnceClientsCanConnect) {
  FakeTree tree;
  TempFolder folder;
  ManagerSocket manager(folder, false);
  ASSERT_TRUE(manager.Bound());
  std::vector<std::string> arguments = tree.DeviceArguments();
  arguments.push_back("--socket=" + tree.SocketPath());
  arguments.push_back("--foreground");
  ChildProcess helper(HelperBinary(), arguments, {"NOTIFY_SOCKET=" + manager.Name()});
  ASSERT_TRUE(helper.Started());
  EXPECT_EQ(manager.Receive(60s), "READY=1") << helper.Output() << helper.Errors();
  EXPECT_TRUE(linux_os::UnixSocketAnswers(tree.SocketPath()));
}

// Both address forms reach the manager, and the variable is gone afterwards, so that a
// process the helper starts cannot report for the service.
TEST(HelperNotifyTest, ReadyReachesPathAndAbstractSocketsAndIsSentOnce) {
  for (const bool abstract : {false, true}) {
    SCOPED_TRACE(abstract ? "abstract" : "path");
    TempFolder folder;
    ManagerSocket manager(folder, abstract);
    ASSERT_TRUE(manager.Bound());
    ASSERT_EQ(setenv("NOTIFY_SOCKET", manager.Name().c_str(), 1), 0);
    EXPECT_TRUE(portex::NotifyServiceReady());
    EXPECT_EQ(manager.Receive(30s), "READY=1");
    EXPECT_EQ(getenv("NOTIFY_SOCKET"), nullptr);
    EXPECT_FALSE(portex::NotifyServiceReady());
  }
}

}  // namespace
}  // namespace pacetta::testing
