#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/linux_user_session.h"
#include "platform/linux/running_programs.h"
#include "tests/platform_linux/fake_logind.h"
#include "tests/platform_linux/fake_power_services.h"
#include "tests/platform_linux/reporting_daemon.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

namespace fs = std::filesystem;
using platform::SystemPowerRequest;
using testing::FakeIdleMonitor;
using testing::FakeLogind;
using testing::PrivateSessionBus;
using testing::PrivateSystemBus;
using testing::ScopedEnv;
using testing::TempFolder;
using PowerCall = FakeLogind::PowerCall;

// A /proc of the test's: per process the status file's id lines and the exe link.
class FakeProc {
 public:
  FakeProc() { fs::create_directories(root_.File("proc/sys")); }
  void AddProcess(uint32_t pid, const std::string& uids, const std::string& executable) {
    const fs::path folder = Folder(pid);
    fs::create_directories(folder);
    std::ofstream(folder / "status") << "Name:\tcut-off\nUmask:\t0022\nState:\tS (sleeping)\n"
                                     << "Uid:\t" << uids << "\nGid:\t0\t0\t0\t0\n";
    if (!executable.empty()) fs::create_symlink(executable, folder / "exe");
  }
  fs::path Folder(uint32_t pid) const { return root_.File("proc/" + std::to_string(pid)); }
  SysfsRoot Root() const { return SysfsRoot(root_.Path()); }

 private:
  TempFolder root_;
};

TEST(RunningPrograms, TheUsersInspectableProcessesInProcessOrderUpToTheLimit) {
  constexpr uid_t kUser = 4242;
  FakeProc proc;
  proc.AddProcess(1000, "4242\t4242\t4242\t4242", "/usr/bin/editor");
  proc.AddProcess(7, "4242\t4242\t4242\t4242", "/usr/bin/editor");
  proc.AddProcess(12, "0\t0\t0\t0", "/usr/sbin/other-users-daemon");
  // Started by the user, running with another's rights: still the user's.
  proc.AddProcess(30, "4242\t0\t0\t0", "/usr/bin/set-id-tool");
  // Started by another, running with the user's rights: not the user's.
  proc.AddProcess(31, "0\t4242\t4242\t4242", "/usr/bin/switched-tool");
  proc.AddProcess(45, "4242\t4242\t4242\t4242", "/opt/app/player (deleted)");
  // A kernel thread has no executable; an ended process may leave its status unreadable;
  // a link that cannot be read is no link at all.
  proc.AddProcess(100, "4242\t4242\t4242\t4242", "");
  proc.AddProcess(101, "4242\t4242\t4242\t4242", "/usr/bin/vanished");
  fs::remove(proc.Folder(101) / "status");
  proc.AddProcess(102, "4242\t4242\t4242\t4242", "");
  std::ofstream(proc.Folder(102) / "exe") << "not a link";

  using Names = std::vector<std::string>;
  const Names all = {"editor", "set-id-tool", "player", "editor"};
  const struct {
    size_t limit;
    Names expected;
  } cases[] = {{0, {}}, {2, {"editor", "set-id-tool"}}, {4, all}, {1000, all}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    EXPECT_EQ(RunningProgramNames(proc.Root(), kUser, c.limit), c.expected);
  }
}

TEST(RunningPrograms, TheRealSessionListsThisTestProgram) {
  LinuxUserSession session;
  const std::string self = fs::read_symlink("/proc/self/exe").filename().string();
  EXPECT_THAT(session.RunningProgramNames(1 << 20), ::testing::Contains(self));
}

// The login manager on a private system bus, and the session that asks it.
class SystemPowerRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(bus_.Address().empty()) << "dbus-daemon did not start";
    ASSERT_TRUE(logind_.Running());
  }
  PrivateSystemBus bus_;
  FakeLogind logind_;
  LinuxUserSession session_;
};

struct PowerMethods {
  SystemPowerRequest request;
  const char* question;
  const char* method;
};
constexpr PowerMethods kPowerMethods[] = {
    {SystemPowerRequest::kStandby, "CanSuspend", "Suspend"},
    {SystemPowerRequest::kHibernate, "CanHibernate", "Hibernate"},
    {SystemPowerRequest::kPowerOff, "CanPowerOff", "PowerOff"},
};

TEST_F(SystemPowerRequests, AreAskedForOnlyWhereTheLoginManagerAllowsThem) {
  const struct {
    const char* verdict;
    bool allowed;
  } verdicts[] = {{"yes", true}, {"challenge", true}, {"no", false}, {"na", false}};
  for (const auto& v : verdicts) {
    logind_.SetPowerVerdict(v.verdict);
    for (const auto& m : kPowerMethods) {
      SCOPED_TRACE(std::string(v.verdict) + " " + m.method);
      EXPECT_EQ(session_.RequestSystemPower(m.request), v.allowed);
      std::vector<PowerCall> expected = {{m.question, false}};
      if (v.allowed) expected.push_back({m.method, true});
      EXPECT_EQ(logind_.TakePowerCalls(), expected);
    }
  }
}

TEST_F(SystemPowerRequests, ARequestTheLoginManagerRefusesReportsFailure) {
  logind_.BlockPowerRequests();
  for (const auto& m : kPowerMethods) {
    SCOPED_TRACE(m.method);
    EXPECT_FALSE(session_.RequestSystemPower(m.request));
    EXPECT_EQ(logind_.TakePowerCalls(),
              (std::vector<PowerCall>{{m.question, false}, {m.method, true}}));
  }
}

TEST(SystemPowerRequestsWithoutLoginManager, FailWithoutABusOrWithoutTheManager) {
  TempFolder nowhere;
  {
    const ScopedEnv noBus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + nowhere.File("no_socket"));
    LinuxUserSession session;
    for (const auto& m : kPowerMethods) EXPECT_FALSE(session.RequestSystemPower(m.request));
  }
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  LinuxUserSession session;
  for (const auto& m : kPowerMethods) EXPECT_FALSE(session.RequestSystemPower(m.request));
}

// The desktop a test pretends to run in; an empty value leaves a variable unset.
class DesktopEnvironment {
 public:
  DesktopEnvironment(const std::string& x11Display, const std::string& waylandDisplay)
      : display_("DISPLAY", x11Display), wayland_("WAYLAND_DISPLAY", waylandDisplay) {}

 private:
  ScopedEnv display_;
  ScopedEnv wayland_;
};

TEST(DesktopIdle, AWaylandSessionCountsWithTheDesktopsIdleMonitor) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  std::optional<FakeIdleMonitor> monitor(std::in_place, 1234);
  ASSERT_TRUE(monitor->Running());
  const DesktopEnvironment desktop("", "wayland-0");
  LinuxUserSession session;

  EXPECT_TRUE(session.IdleTimeAvailable());
  EXPECT_EQ(session.IdleMilliseconds(), 1234u);
  // Past 49 days the count stays at its top instead of starting again.
  monitor->SetIdle(5'000'000'000);
  EXPECT_EQ(session.IdleMilliseconds(), UINT32_MAX);
  // A monitor that goes away leaves the time unknown; the source stays the one chosen.
  monitor.reset();
  EXPECT_EQ(session.IdleMilliseconds(), std::nullopt);
  EXPECT_TRUE(session.IdleTimeAvailable());
}

TEST(DesktopIdle, WithoutASourceTheIdleTimeIsUnavailable) {
  PrivateSessionBus bus;  // with no idle monitor on it
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  const struct {
    const char* what;
    const char* x11Display;
    const char* waylandDisplay;
  } cases[] = {
      {"no desktop", "", ""},
      {"a Wayland desktop without an idle monitor", "", "wayland-0"},
      {"an X display that is not there", ":4711", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const DesktopEnvironment desktop(c.x11Display, c.waylandDisplay);
    LinuxUserSession session;
    EXPECT_FALSE(session.IdleTimeAvailable());
    EXPECT_EQ(session.IdleMilliseconds(), std::nullopt);
  }
}

// A virtual X server of the test's own, on a display it picks itself.
class VirtualXServer {
 public:
  static constexpr char kServer[] = "/usr/bin/Xvfb";
  VirtualXServer()
      : server_({kServer, "-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"},
                logs_.File("server.log")) {}
  // Empty when it did not start.
  std::string Display() const { return server_.Report().empty() ? "" : ":" + server_.Report(); }

 private:
  TempFolder logs_;
  testing::ReportingDaemon server_;
};

struct XcbDisconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

TEST(DesktopIdle, AnXSessionCountsWithTheServersScreenSaverExtension) {
  if (!fs::exists(VirtualXServer::kServer)) GTEST_SKIP() << "Xvfb is not installed";
  VirtualXServer server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  const DesktopEnvironment desktop(server.Display(), "");
  LinuxUserSession session;
  ASSERT_TRUE(session.IdleTimeAvailable());

  // Nobody touches the virtual server: its count only grows.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::optional<uint32_t> idle;
  while ((idle = session.IdleMilliseconds()) && *idle < 1500 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_GE(idle.value_or(0), 1500u);

  // A reset of the screen saver counts as input, as a key press would.
  const std::unique_ptr<xcb_connection_t, XcbDisconnect> user(
      xcb_connect(server.Display().c_str(), nullptr));
  ASSERT_EQ(xcb_connection_has_error(user.get()), 0);
  const auto resetAt = std::chrono::steady_clock::now();
  xcb_force_screen_saver(user.get(), XCB_SCREEN_SAVER_RESET);
  // A round trip: the server has carried out the reset before the session asks.
  std::free(xcb_get_input_focus_reply(user.get(), xcb_get_input_focus(user.get()), nullptr));
  const auto afterReset = session.IdleMilliseconds();
  const auto sinceReset = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - resetAt);
  ASSERT_TRUE(afterReset.has_value());
  EXPECT_LE(*afterReset, static_cast<uint64_t>(sinceReset.count()) + 20);
}

TEST(DesktopIdle, AWaylandSessionsXServerIsNotAskedForTheIdleTime) {
  if (!fs::exists(VirtualXServer::kServer)) GTEST_SKIP() << "Xvfb is not installed";
  VirtualXServer server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  PrivateSessionBus bus;  // with no idle monitor on it
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  const DesktopEnvironment desktop(server.Display(), "wayland-0");
  LinuxUserSession session;
  EXPECT_FALSE(session.IdleTimeAvailable());
}

}  // namespace
}  // namespace pacetta::linux_os
