// The service control manager for the helper: install, start, query, stop and remove.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_device.h"
#include "platform/linux/helper_launch.h"
#include "platform/linux/helper_service_control.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
using platform::ServiceState;

class HelperServiceTest : public ::testing::Test {
 protected:
  linux_os::HelperConfig Config(bool mayStart) const {
    linux_os::HelperConfig config;
    config.socketPath = tree_.SocketPath();
    config.helperArguments = tree_.DeviceArguments();
    config.mayStartHelper = [mayStart] { return mayStart; };
    return config;
  }
  void WriteRecord(const std::string& text) const {
    std::ofstream(Config(true).RecordPath()) << text;
    std::filesystem::permissions(Config(true).RecordPath(), std::filesystem::perms(0644));
  }
  ServiceState State(platform::Service& service) {
    platform::ServiceStatus status;
    EXPECT_TRUE(service.QueryStatus(status));
    return status.state;
  }

  FakeTree tree_;
};

TEST_F(HelperServiceTest, AnInstalledHelperStartsAnswersStopsAndIsRemoved) {
  linux_os::HelperServiceControl control(Config(true));
  auto manager = control.OpenManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->OpenService("Portex64"), nullptr);  // nothing installed yet
  EXPECT_NE(manager->CreateDriverService("Portex64", "Portex64", HelperBinary()), nullptr);
  EXPECT_EQ(manager->CreateDriverService("Portex64", "Portex64", HelperBinary()), nullptr);
  EXPECT_EQ(manager->OpenService("Portex32"), nullptr);

  auto service = manager->OpenService("Portex64");
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(State(*service), ServiceState::kStopped);
  ASSERT_TRUE(service->Start());
  EXPECT_EQ(State(*service), ServiceState::kRunning);
  EXPECT_TRUE(service->Start());  // a running helper is left alone

  {
    linux_os::HelperDeviceIo io(Config(true));
    EXPECT_EQ(io.OpenDevice("\\\\.\\Portex32"), nullptr);
    auto device = io.OpenDevice("\\\\.\\PORTEX64");
    ASSERT_NE(device, nullptr);
    tree_.SetMsr(0, 0xC0010015, 0x01000010);
    std::vector<uint32_t> out;
    // Started detached, the helper still reads the fake tree it was given.
    auto pinned = OpenHelperDevice(tree_, 0);
    ASSERT_TRUE(Request(*pinned, driver::kReadMsr, {0xC0010015, ~0u, ~0u}, 3, &out));
    EXPECT_EQ(out[2], 0x01000010u);
  }

  EXPECT_TRUE(service->Stop());
  EXPECT_EQ(State(*service), ServiceState::kStopped);
  EXPECT_FALSE(std::filesystem::exists(tree_.SocketPath()));
  EXPECT_TRUE(service->Delete());
  EXPECT_FALSE(service->Delete());
  EXPECT_EQ(manager->OpenService("Portex64"), nullptr);
}

TEST_F(HelperServiceTest, WithoutRightsOnlyARunningSystemServiceCanBeUsed) {
  linux_os::HelperServiceControl control(Config(false));
  EXPECT_EQ(control.OpenManager(), nullptr);

  HelperProcess systemService(tree_);
  ASSERT_TRUE(systemService.Ready()) << systemService.Diagnostics();
  auto manager = control.OpenManager();
  ASSERT_NE(manager, nullptr);
  // Creation finds the installed service and writes nothing.
  EXPECT_EQ(manager->CreateDriverService("Portex64", "Portex64", "/elsewhere/Portex64"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(Config(false).RecordPath()));
  auto service = manager->OpenService("Portex64");
  ASSERT_NE(service, nullptr);
  EXPECT_TRUE(service->Start());
  platform::ServiceStatus status;
  ASSERT_TRUE(service->QueryStatus(status));
  EXPECT_EQ(status.state, ServiceState::kRunning);
  // The administrator's service is not this program's to remove.
  EXPECT_FALSE(service->Delete());
}

TEST_F(HelperServiceTest, AHelperThatCannotListenIsReportedAsNotStarted) {
  auto config = Config(true);
  config.helperArguments.push_back("--no-such-option");
  linux_os::HelperServiceControl control(config);
  auto manager = control.OpenManager();
  ASSERT_NE(manager, nullptr);
  ASSERT_NE(manager->CreateDriverService("Portex64", "Portex64", HelperBinary()), nullptr);
  auto service = manager->OpenService("Portex64");
  ASSERT_NE(service, nullptr);
  EXPECT_FALSE(service->Start());
  EXPECT_FALSE(service->Stop());
  EXPECT_TRUE(service->Delete());
}

TEST_F(HelperServiceTest, ARecordThatOthersCouldHaveWrittenIsNotTrusted) {
  const auto config = Config(true);
  { std::ofstream(config.RecordPath()) << "/tmp/not-the-helper\n"; }
  std::filesystem::permissions(config.RecordPath(), std::filesystem::perms(0666));
  linux_os::HelperServiceControl control(config);
  auto manager = control.OpenManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->OpenService("Portex64"), nullptr);

  std::filesystem::permissions(config.RecordPath(), std::filesystem::perms(0644));
  auto service = manager->OpenService("Portex64");
  ASSERT_NE(service, nullptr);
  EXPECT_FALSE(service->Start());  // a record of this user, but nothing to start there
}

TEST_F(HelperServiceTest, AProgramWithRightsStopsOnlyTheHelperItStarted) {
  // Run by this test, the helper would obey its stop request: only the program's own
  // judgement keeps it running, as it must keep an administrator's service running.
  HelperProcess systemService(tree_);
  ASSERT_TRUE(systemService.Ready()) << systemService.Diagnostics();
  linux_os::HelperServiceControl control(Config(true));
  const std::string records[] = {
      "",                                                       // none
      HelperBinary() + "\n",                                    // installed, never started
      HelperBinary() + "\n" + std::to_string(getpid()) + "\n",  // started, since replaced
  };
  for (const std::string& record : records) {
    if (!record.empty()) WriteRecord(record);
    auto manager = control.OpenManager();
    ASSERT_NE(manager, nullptr);
    auto service = manager->OpenService("Portex64");
    ASSERT_NE(service, nullptr);
    EXPECT_FALSE(service->Stop()) << record;
    EXPECT_EQ(State(*service), ServiceState::kRunning) << record;
  }
}

TEST_F(HelperServiceTest, NothingIsSentToAListenerOfAnotherUser) {
  // A socket of this test's own, at the helper's path, that accepts without answering.
  linux_os::UniqueFd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, tree_.SocketPath().c_str());
  ASSERT_EQ(bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener.Get(), 16), 0);
  WriteRecord(HelperBinary() + "\n" + std::to_string(getpid()) + "\n");

  auto config = Config(true);
  config.helperUsers = {geteuid() + 1};  // not the user this listener runs as
  EXPECT_EQ(linux_os::HelperDeviceIo(config).OpenDevice("\\\\.\\Portex64"), nullptr);
  auto service = linux_os::HelperServiceControl(config).OpenManager()->OpenService("Portex64");
  ASSERT_NE(service, nullptr);
  EXPECT_FALSE(service->Stop());

  int connections = 0;
  for (;;) {
    linux_os::UniqueFd accepted(accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!accepted.Valid()) break;
    ++connections;
    char byte;
    EXPECT_EQ(recv(accepted.Get(), &byte, 1, 0), 0);  // closed without a word
  }
  EXPECT_GE(connections, 2);
}

TEST_F(HelperServiceTest, AStartedHelperKeepsNoneOfTheStartersOutputs) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  linux_os::UniqueFd reader(ends[0]);
  const pid_t starter = fork();
  if (starter == 0) {
    dup2(ends[1], STDOUT_FILENO);
    dup2(ends[1], STDERR_FILENO);
    _exit(linux_os::LaunchHelper(HelperBinary(), tree_.SocketPath(), tree_.DeviceArguments(), 30s)
              ? 0
              : 1);
  }
  close(ends[1]);
  int status = -1;
  waitpid(starter, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  linux_os::SocketPeer helper;
  ASSERT_TRUE(linux_os::ConnectToHelper(tree_.SocketPath(), {geteuid()}, &helper).Valid());

  // The starter is gone and the helper runs: whoever reads the starter's output sees its
  // end now, not when the helper ends.
  pollfd entry{reader.Get(), POLLIN, 0};
  char byte;
  EXPECT_TRUE(poll(&entry, 1, 30000) == 1 && read(reader.Get(), &byte, 1) == 0);
  EXPECT_TRUE(linux_os::UnixSocketAnswers(tree_.SocketPath()));

  kill(helper.pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::filesystem::exists(tree_.SocketPath()) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_FALSE(std::filesystem::exists(tree_.SocketPath()));
}

}  // namespace
}  // namespace pacetta::testing
