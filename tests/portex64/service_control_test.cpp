// The service control manager for the helper: install, start, query, stop and remove.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_device.h"
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

}  // namespace
}  // namespace pacetta::testing
