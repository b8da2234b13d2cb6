#include "engine/log/monitoring_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/log/log_paths.h"
#include "platform/linux/linux_log_files.h"
#include "tests/engine_log/log_test_support.h"

namespace pacetta {
namespace {

using testing::ManualClock;
using testing::ReadAll;
using testing::TempFolder;
using testing::WriteFile;

CpuSample Sample(double clock, int32_t overheat = 0) {
  CpuSample s;
  s.clock = clock;
  s.throttle = 1.0;
  s.multiplier = 10.0f;
  s.voltage = 1.2f;
  s.cpuLoad = 50;
  s.osLoad = 25;
  s.temperature = 60;
  s.overheat = overheat;
  return s;
}

class MonitoringLogTest : public ::testing::Test {
 protected:
  std::string Current() const { return folder.File("Pacetta.log"); }
  std::string Archived(unsigned n) const { return ArchivedLogPath(folder.Path(), n); }

  TempFolder folder;
  linux_os::LinuxLogFiles files;
  ManualClock clock;
  MonitoringLog log{files, clock, folder.Path()};
};

TEST_F(MonitoringLogTest, OneRunHoldsStartRecordsAndStop) {
  EXPECT_FALSE(log.Start());
  clock.now.millisecond = 125;
  const std::vector<CpuSample> samples{Sample(1000), Sample(2000, 1)};
  EXPECT_FALSE(log.WriteRecords(samples, {log_flags::kAllSampleFields & ~log_flags::kNoClock}));
  clock.Advance(5);
  EXPECT_FALSE(log.Stop());
  EXPECT_EQ(ReadAll(Current()),
            "--Log started 05/17/2024, 08:00:00\r\n"
            "08:00:00.125, CPU: 0, Clock: 1000.00\r\n"
            "08:00:00.125, CPU: 1, Clock: 2000.00\r\n"
            "08:00:00.125, CPU: 1, CPU OVERHEAT ALERT!\r\n"
            "--Log stopped 05/17/2024, 08:00:05\r\n");
}

TEST_F(MonitoringLogTest, FlagsFFWriteOnlyStartAndStop) {
  log.Start();
  const std::vector<CpuSample> samples{Sample(1000, 1)};
  log.WriteRecords(samples, {0xFF});
  log.Stop();
  EXPECT_EQ(ReadAll(Current()),
            "--Log started 05/17/2024, 08:00:00\r\n--Log stopped 05/17/2024, 08:00:00\r\n");
}

TEST_F(MonitoringLogTest, ProgramStartArchivesThePreviousRunFirst) {
  WriteFile(Current(), "previous run\r\n");
  log.Archive();
  log.Start();
  EXPECT_EQ(ReadAll(Archived(0)), "previous run\r\n");
  EXPECT_EQ(ReadAll(Current()), "--Log started 05/17/2024, 08:00:00\r\n");
}

TEST_F(MonitoringLogTest, ArchiveTakesTheLowestFreeNumberAndNothingWithoutALog) {
  log.Archive();
  EXPECT_FALSE(std::filesystem::exists(Archived(0))) << "no current log, no archive";
  for (const char* run : {"a", "b", "c"}) {
    WriteFile(Current(), run);
    log.Archive();
  }
  EXPECT_EQ(ReadAll(Archived(2)), "c");
  std::filesystem::remove(Archived(0));
  WriteFile(Current(), "d");
  log.Archive();
  EXPECT_EQ(ReadAll(Archived(0)), "d") << "a deleted number is reused first";
  EXPECT_EQ(ReadAll(Archived(1)), "b");
  EXPECT_FALSE(std::filesystem::exists(Current()));
}

TEST_F(MonitoringLogTest, WithEveryNumberTakenTheLastIsReplaced) {
  for (unsigned n = 0; n <= kLastArchiveNumber; ++n) WriteFile(Archived(n), "old");
  WriteFile(Current(), "newest");
  log.Archive();
  EXPECT_EQ(ReadAll(Archived(kLastArchiveNumber)), "newest");
  EXPECT_EQ(ReadAll(Archived(kLastArchiveNumber - 1)), "old");
  EXPECT_FALSE(std::filesystem::exists(folder.File("Pacetta 999.log")));
}

TEST_F(MonitoringLogTest, PeriodRestartsAfterTheFirstRefreshPastIt) {
  const LogOptions options{0x7E, 60};
  const std::vector<CpuSample> samples{Sample(1000)};
  log.Start();
  clock.Advance(59);
  log.WriteRecords(samples, options);
  EXPECT_FALSE(std::filesystem::exists(Archived(0))) << "59 s do not cover 60 s";
  clock.Advance(1);
  log.WriteRecords(samples, options);
  EXPECT_EQ(ReadAll(Archived(0)),
            "--Log started 05/17/2024, 08:00:00\r\n"
            "08:00:59.000, Clock: 1000.00\r\n"
            "08:01:00.000, Clock: 1000.00\r\n"
            "--Log stopped 05/17/2024, 08:01:00\r\n");
  EXPECT_EQ(ReadAll(Current()), "--Log started 05/17/2024, 08:01:00\r\n");
  clock.Advance(30);
  log.WriteRecords(samples, options);
  EXPECT_FALSE(std::filesystem::exists(Archived(1))) << "the period counts from the new start";
}

// Moves nothing, as when the archive name is held open elsewhere.
class StuckMoves final : public platform::LogFiles {
 public:
  explicit StuckMoves(platform::LogFiles& real) : real_(real) {}
  std::unique_ptr<platform::AppendFile> OpenForAppend(const std::string& path,
                                                      platform::FileFault& fault) override {
    return real_.OpenForAppend(path, fault);
  }
  bool Exists(const std::string& path) override { return real_.Exists(path); }
  bool MoveReplacing(const std::string&, const std::string&) override { return false; }

 private:
  platform::LogFiles& real_;
};

TEST_F(MonitoringLogTest, AFailedArchiveKeepsTheOldLogAndAppendsTheNewStart) {
  StuckMoves stuck(files);
  MonitoringLog stuckLog(stuck, clock, folder.Path());
  WriteFile(Current(), "previous\r\n");
  stuckLog.Archive();
  stuckLog.Start();
  EXPECT_EQ(ReadAll(Current()), "previous\r\n--Log started 05/17/2024, 08:00:00\r\n");
}

}  // namespace
}  // namespace pacetta
