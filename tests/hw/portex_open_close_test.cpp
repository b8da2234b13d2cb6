#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fake_platform.h"
#include "hw/portex_driver.h"

namespace pacetta {
namespace {

using platform::ServiceState;
using testing::FakePlatform;

long CountCalls(const FakePlatform& fake, const std::string& call) {
  return std::count(fake.world.calls.begin(), fake.world.calls.end(), call);
}

size_t IndexOf(const std::vector<std::string>& calls, const std::string& call, size_t from = 0) {
  const auto found = std::find(calls.begin() + from, calls.end(), call);
  return static_cast<size_t>(found - calls.begin());
}

TEST(PortexOpen, InstallsStartsClosesHandlesThenOpensDeviceAndCountsUse) {
  FakePlatform fake;
  fake.InstallHelperFile();
  CPortexDriver driver(fake.view);

  ASSERT_EQ(driver.Open(0), 0);

  const std::vector<std::string> expected{"open manager",
                                          "create Portex64 Portex64 /opt/pacetta/Portex64",
                                          "close service",
                                          "open Portex64",
                                          "start",
                                          "query",
                                          "close service",
                                          "close manager",
                                          "open device \\\\.\\Portex64"};
  EXPECT_EQ(fake.world.calls, expected);
  EXPECT_TRUE(driver.IsOpen());
  EXPECT_EQ(fake.world.requests, std::vector<uint32_t>{driver::kChangeUseCount});
  EXPECT_EQ(fake.world.useCount, 1);
}

struct OpenFault {
  const char* name;
  std::function<void(FakePlatform&)> inject;
  int32_t code;
  long managerOpens;  // both attempts plus the removal between them
};

TEST(PortexOpen, EachFailurePointReturnsItsCodeAfterTheRetry) {
  const std::vector<OpenFault> faults{
      {"helper file missing", [](FakePlatform& f) { f.system.files.clear(); },
       driver::kErrorDriverFileMissing, 1},
      {"no service manager", [](FakePlatform& f) { f.world.managerAvailable = false; },
       driver::kErrorManagerUnavailable, 3},
      {"service cannot be opened", [](FakePlatform& f) { f.world.serviceOpenRefused = true; },
       driver::kErrorServiceUnavailable, 3},
      {"status unavailable", [](FakePlatform& f) { f.world.statusQueryFails = true; },
       driver::kErrorStatusUnavailable, 3},
      {"device refused", [](FakePlatform& f) { f.world.deviceRefused = true; },
       driver::kErrorDeviceUnavailable, 3},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.name);
    FakePlatform fake;
    fake.InstallHelperFile();
    fault.inject(fake);
    CPortexDriver driver(fake.view);

    EXPECT_EQ(driver.Open(0), fault.code);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(CountCalls(fake, "open manager"), fault.managerOpens);
    EXPECT_EQ(fake.world.useCount, 0);
  }
  // Without the helper file no attempt creates a service.
  FakePlatform fake;
  CPortexDriver driver(fake.view);
  driver.Open(0);
  EXPECT_EQ(CountCalls(fake, "create Portex64 Portex64 /opt/pacetta/Portex64"), 0);
}

TEST(PortexOpen, ReplacesAServiceThatPointsToAStaleFile) {
  FakePlatform fake;
  fake.InstallHelperFile();
  fake.world.installed = true;
  fake.world.binaryPath = "/old/place/Portex64";  // cannot start: the file is gone
  CPortexDriver driver(fake.view);

  ASSERT_EQ(driver.Open(0), 0);

  const auto& calls = fake.world.calls;
  const size_t firstDeviceOpen = IndexOf(calls, "open device \\\\.\\Portex64");
  const size_t stop = IndexOf(calls, "stop", firstDeviceOpen);
  const size_t remove = IndexOf(calls, "delete", stop);
  const size_t reinstall = IndexOf(calls, "create Portex64 Portex64 /opt/pacetta/Portex64", remove);
  EXPECT_LT(reinstall, calls.size());
  EXPECT_EQ(fake.world.binaryPath, "/opt/pacetta/Portex64");
  EXPECT_EQ(fake.world.useCount, 1);
}

TEST(PortexOpen, WaitsForAStartPendingServiceBeforeOpeningTheDevice) {
  FakePlatform fake;
  fake.InstallHelperFile();
  fake.world.scriptedStatuses = {{ServiceState::kStartPending, 0, 3000},
                                 {ServiceState::kStartPending, 1, 3000},
                                 {ServiceState::kRunning, 0, 0}};
  CPortexDriver driver(fake.view);

  ASSERT_EQ(driver.Open(0), 0);
  EXPECT_EQ(fake.system.sleepsMs, (std::vector<uint32_t>{1000, 1000}));
  EXPECT_LT(IndexOf(fake.world.calls, "close manager"),
            IndexOf(fake.world.calls, "open device \\\\.\\Portex64"));
}

TEST(PortexOpen, OpeningAgainKeepsThisProcessCountedOnce) {
  FakePlatform fake;
  fake.InstallHelperFile();
  CPortexDriver driver(fake.view);
  ASSERT_EQ(driver.Open(0), 0);
  ASSERT_EQ(driver.Open(0), 0);
  EXPECT_EQ(fake.world.useCount, 1);
}

TEST(PortexNames, FollowTheSystemWidthAndTheProgramFolder) {
  for (const auto& [emulated, name] : std::vector<std::pair<std::optional<bool>, std::string>>{
           {true, "Portex64"}, {false, "Portex32"}, {std::nullopt, "Portex32"}}) {
    FakePlatform fake;
    fake.system.emulated = emulated;
    fake.InstallHelperFile(name);
    CPortexDriver driver(fake.view);
    EXPECT_EQ(driver.GetServiceName(), name);
    ASSERT_EQ(driver.Open(0), 0);
    EXPECT_EQ(CountCalls(fake, "create " + name + " " + name + " /opt/pacetta/" + name), 1);
    EXPECT_EQ(CountCalls(fake, "open device \\\\.\\" + name), 1);
  }
}

TEST(PortexClose, ReleasesUseAndRemovesTheServiceOnlyWhenAsked) {
  FakePlatform fake;
  fake.InstallHelperFile();
  CPortexDriver driver(fake.view);
  ASSERT_EQ(driver.Open(0), 0);

  EXPECT_EQ(driver.Close(false), 0);
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_EQ(fake.world.useCount, 0);
  EXPECT_TRUE(fake.world.installed);

  ASSERT_EQ(driver.Open(0), 0);
  const size_t before = fake.world.calls.size();
  EXPECT_EQ(driver.Close(true), 0);
  EXPECT_EQ(fake.world.useCount, 0);
  EXPECT_FALSE(fake.world.installed);
  const std::vector<std::string> removal(fake.world.calls.begin() + before, fake.world.calls.end());
  EXPECT_EQ(removal, (std::vector<std::string>{"open manager", "open Portex64", "stop", "delete",
                                               "close service", "close manager"}));
}

TEST(PortexClose, RemovalReportsAMissingManagerOrService) {
  FakePlatform fake;
  CPortexDriver driver(fake.view);
  EXPECT_EQ(driver.Close(true), driver::kErrorServiceUnavailable);  // nothing installed
  fake.world.managerAvailable = false;
  EXPECT_EQ(driver.Close(true), driver::kErrorManagerUnavailable);
  EXPECT_EQ(driver.Close(false), 0);
}

struct ExitCase {
  uint32_t policy;
  int32_t otherUsers;
  bool countQueryFails;
  bool removed;
};

TEST(PortexExit, DestructionAppliesTheUnloadPolicy) {
  const std::vector<ExitCase> cases{
      {kUnloadWhenLastUser, 0, false, true},  {kUnloadWhenLastUser, 1, false, false},
      {kUnloadWhenLastUser, 0, true, false},  {kKeepService, 0, false, false},
      {kAlwaysRemoveService, 1, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "policy " << c.policy << ", others " << c.otherUsers
                                      << ", query fails " << c.countQueryFails);
    FakePlatform fake;
    fake.InstallHelperFile();
    fake.world.useCount = c.otherUsers;
    {
      CPortexDriver driver(fake.view);
      ASSERT_EQ(driver.Open(0), 0);
      ASSERT_TRUE(driver.SetUnloadPolicy(c.policy));
      fake.world.useCountQueryFails = c.countQueryFails;
    }
    EXPECT_EQ(fake.world.installed, !c.removed);
    EXPECT_EQ(fake.world.useCount, c.otherUsers);
  }
}

TEST(PortexExit, RefusesAnUnknownPolicy) {
  FakePlatform fake;
  CPortexDriver driver(fake.view);
  ASSERT_TRUE(driver.SetUnloadPolicy(kAlwaysRemoveService));
  EXPECT_FALSE(driver.SetUnloadPolicy(3));
  EXPECT_EQ(driver.UnloadPolicy(), kAlwaysRemoveService);
}

TEST(PortexExit, ARestartingExitLeavesTheServiceToTheNewInstance) {
  FakePlatform fake;
  fake.InstallHelperFile();
  auto exiting = std::make_unique<CPortexDriver>(fake.view);
  ASSERT_EQ(exiting->Open(0), 0);
  ASSERT_TRUE(exiting->SetUnloadPolicy(kUnloadWhenLastUser));
  EXPECT_EQ(exiting->KeepServiceForRestart(), kUnloadWhenLastUser);

  // The new instance may reach Open before or after the old one's exit; here, after.
  exiting.reset();
  EXPECT_TRUE(fake.world.installed);
  EXPECT_EQ(fake.world.state, ServiceState::kRunning);
  EXPECT_EQ(fake.world.useCount, 0);

  CPortexDriver restarted(fake.view);
  EXPECT_EQ(restarted.Open(0), 0);
  EXPECT_EQ(CountCalls(fake, "delete"), 0);
  EXPECT_EQ(fake.world.useCount, 1);
}

TEST(PortexExit, AFailedRestartCanRestoreThePolicy) {
  FakePlatform fake;
  fake.InstallHelperFile();
  {
    CPortexDriver driver(fake.view);
    ASSERT_EQ(driver.Open(0), 0);
    const uint32_t previous = driver.KeepServiceForRestart();
    // Starting the new instance failed: this exit is a plain one again.
    driver.SetUnloadPolicy(previous);
  }
  EXPECT_FALSE(fake.world.installed);
}

}  // namespace
}  // namespace pacetta
