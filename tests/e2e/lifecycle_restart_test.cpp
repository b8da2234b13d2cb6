#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/window_messages.h"
#include "platform/linux/lock_file_events.h"
#include "platform/linux/socket_windows.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

bool HasSample(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (SampleTimeMs(line)) return true;
  }
  return false;
}

// "--Log started MM/DD/YYYY, hh:mm:ss" as seconds of the day.
int64_t SecondOfDay(const std::string& mark) {
  unsigned hour = 0, minute = 0, second = 0;
  const auto comma = mark.find(", ");
  if (comma == std::string::npos ||
      std::sscanf(mark.c_str() + comma + 2, "%2u:%2u:%2u", &hour, &minute, &second) != 3) {
    return -1;
  }
  return (int64_t{hour} * 60 + minute) * 60 + second;
}

// The restart carries the options that chose the machine and the log folder, and the new
// instance starts only after the old one closed its log: the archive the new one makes
// holds the whole first run.
TEST(LifecycleRestart, TheNewInstanceTakesOverTheLogOnlyAfterTheOldOneClosedIt) {
  LifecycleRun run;
  SeedSettings(run.ConfigHome(), SeedValues{});
  ScopedEnv runtimeDir("PACETTA_RUNTIME_DIR", run.RuntimeDir());
  linux_os::LockFileEvents events;
  const auto instanceRuns = [&events] {
    bool existed = false;
    auto probe = events.Create("Global\\PacettaRunningEvent", existed);
    return existed;
  };
  // Whatever happens, the instance the restart starts (not our child) is ended; "-exit"
  // without a running instance would start one.
  struct EndInstance {
    const LifecycleRun& run;
    std::function<bool()> runs;
    ~EndInstance() {
      if (runs()) run.Command({"-exit"});
    }
  } endInstance{run, instanceRuns};

  auto first = run.Start();
  ASSERT_TRUE(WaitForStatus(
      *first, [](const StatusLine&) { return true; }, 60s))
      << first->Output() << first->Errors();
  linux_os::SocketWindows windows;
  auto window = windows.Find(kMainWindowClass, "Tarvello");
  ASSERT_TRUE(window);
  ASSERT_TRUE(window->Post({kMsgRestart, 0, 0}));
  EXPECT_EQ(first->WaitForExit(60s), 0) << first->Errors();

  // The new instance writes its records where the first one did.
  ASSERT_TRUE(WaitUntil(
      [&] {
        return std::filesystem::exists(run.LogArchivePath(0)) &&
               HasSample(ReadLogLines(run.LogPath()));
      },
      60s))
      << "no log of the new instance";
  EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  ASSERT_TRUE(WaitUntil([&] { return !instanceRuns(); }, 60s)) << "the new instance did not end";

  const std::vector<std::string> old = ReadLogLines(run.LogArchivePath(0));
  const std::vector<std::string> now = ReadLogLines(run.LogPath());
  ASSERT_GE(old.size(), 3u);
  ASSERT_GE(now.size(), 3u);
  EXPECT_EQ(old.front().rfind("--Log started ", 0), 0u);
  EXPECT_EQ(old.back().rfind("--Log stopped ", 0), 0u) << "the first run did not end in order";
  EXPECT_TRUE(HasSample(old));
  EXPECT_EQ(now.front().rfind("--Log started ", 0), 0u);
  EXPECT_EQ(now.back().rfind("--Log stopped ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(run.LogArchivePath(1)));
  const int64_t stopped = SecondOfDay(old.back());
  const int64_t started = SecondOfDay(now.front());
  const bool acrossMidnight = started + 12 * 3600 < stopped;
  if (!acrossMidnight) {
    EXPECT_LE(stopped, started) << "the new log started before the old one stopped";
  }
}

}  // namespace
}  // namespace pacetta::testing
