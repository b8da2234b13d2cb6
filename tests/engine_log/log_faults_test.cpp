#include <gtest/gtest.h>

#include <vector>

#include "engine/log/monitoring_log.h"
#include "platform/linux/linux_log_files.h"
#include "tests/engine_log/log_test_support.h"

namespace pacetta {
namespace {

using platform::FileFault;
using testing::ManualClock;
using testing::ReadAll;
using testing::TempFolder;

// Real files with faults injected: the next opens or appends fail as told.
class FaultyFiles final : public platform::LogFiles {
 public:
  class File final : public platform::AppendFile {
   public:
    File(std::unique_ptr<platform::AppendFile> real, FaultyFiles& owner)
        : real_(std::move(real)), owner_(owner) {}
    FileFault Append(std::string_view text) override {
      ++owner_.appends;
      if (owner_.appendFault != FileFault::kNone) return owner_.appendFault;
      return real_->Append(text);
    }

   private:
    std::unique_ptr<platform::AppendFile> real_;
    FaultyFiles& owner_;
  };

  std::unique_ptr<platform::AppendFile> OpenForAppend(const std::string& path,
                                                      FileFault& fault) override {
    ++opens;
    if (openFault != FileFault::kNone) {
      fault = openFault;
      return nullptr;
    }
    auto real = real_.OpenForAppend(path, fault);
    return real ? std::make_unique<File>(std::move(real), *this) : nullptr;
  }
  bool Exists(const std::string& path) override { return real_.Exists(path); }
  bool MoveReplacing(const std::string& from, const std::string& to) override {
    return real_.MoveReplacing(from, to);
  }

  FileFault openFault = FileFault::kNone;
  FileFault appendFault = FileFault::kNone;
  int opens = 0;
  int appends = 0;

 private:
  linux_os::LinuxLogFiles real_;
};

class LogFaultTest : public ::testing::Test {
 protected:
  std::optional<LogHalted> Refresh() { return log.WriteRecords(samples, {}); }

  TempFolder folder;
  FaultyFiles files;
  ManualClock clock;
  MonitoringLog log{files, clock, folder.Path()};
  std::vector<CpuSample> samples{CpuSample{}, CpuSample{}};
};

TEST_F(LogFaultTest, FullDiskStopsLoggingWithOneNoticeUntilTheNextStart) {
  ASSERT_FALSE(log.Start());
  files.openFault = FileFault::kNoSpace;
  const auto notice = Refresh();
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->fault, FileFault::kNoSpace);
  EXPECT_EQ(notice->path, folder.File("Pacetta.log"));
  EXPECT_TRUE(log.Halted());

  const int opensWhenHalted = files.opens;
  EXPECT_FALSE(Refresh()) << "the notice comes once";
  EXPECT_FALSE(log.Stop());
  EXPECT_EQ(files.opens, opensWhenHalted) << "a halted log does not touch the disk";

  files.openFault = FileFault::kNone;
  EXPECT_FALSE(log.Start()) << "a new start (settings applied) tries again";
  EXPECT_FALSE(log.Halted());
  EXPECT_FALSE(Refresh());
  EXPECT_NE(ReadAll(folder.File("Pacetta.log")).find("CPU: 1"), std::string::npos);
}

TEST_F(LogFaultTest, UnwritableFolderAtStartIsReportedOnce) {
  files.openFault = FileFault::kNotWritable;
  const auto notice = log.Start();
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->fault, FileFault::kNotWritable);
  EXPECT_FALSE(Refresh());
  EXPECT_FALSE(log.Stop());
}

TEST_F(LogFaultTest, AppendRunningOutOfSpaceHaltsMidRecord) {
  log.Start();
  files.appendFault = FileFault::kNoSpace;
  const int appendsBefore = files.appends;
  EXPECT_TRUE(Refresh());
  EXPECT_EQ(files.appends, appendsBefore + 1) << "no further line is tried after the fault";
  EXPECT_FALSE(Refresh());
}

TEST_F(LogFaultTest, OtherFaultsAreRetriedSilentlyAtTheNextRefresh) {
  log.Start();
  files.openFault = FileFault::kTransient;
  EXPECT_FALSE(Refresh());
  EXPECT_FALSE(log.Halted());
  files.openFault = FileFault::kNone;
  EXPECT_FALSE(Refresh());
  EXPECT_NE(ReadAll(folder.File("Pacetta.log")).find("CPU: 0"), std::string::npos);
}

TEST_F(LogFaultTest, AFailedStartDoesNotRestartTheLogEveryRefresh) {
  files.openFault = FileFault::kTransient;
  log.Start();
  files.openFault = FileFault::kNone;
  clock.Advance(10);
  log.WriteRecords(samples, {0, 60});
  EXPECT_FALSE(files.Exists(folder.File("Pacetta 000.log")));
}

TEST(LinuxLogFiles, FaultsAreClassedByCause) {
  linux_os::LinuxLogFiles files;
  FileFault fault = FileFault::kNone;
  // /dev/full accepts the open and refuses every write with "no space".
  auto full = files.OpenForAppend("/dev/full", fault);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->Append("line\r\n"), FileFault::kNoSpace);

  TempFolder folder;
  testing::WriteFile(folder.File("plain"), "");
  EXPECT_FALSE(files.OpenForAppend(folder.File("plain/Pacetta.log"), fault));
  EXPECT_EQ(fault, FileFault::kNotWritable) << "a folder that is not one";
  EXPECT_FALSE(files.OpenForAppend(folder.File("missing/Pacetta.log"), fault));
  EXPECT_EQ(fault, FileFault::kNotWritable);
}

TEST(LinuxLogFiles, LinesAppendWholeAcrossOpens) {
  linux_os::LinuxLogFiles files;
  TempFolder folder;
  const std::string path = folder.File("Pacetta.log");
  for (const char* line : {"one\r\n", "two\r\n"}) {
    FileFault fault = FileFault::kTransient;
    auto file = files.OpenForAppend(path, fault);
    ASSERT_TRUE(file);
    EXPECT_EQ(fault, FileFault::kNone);
    EXPECT_EQ(file->Append(line), FileFault::kNone);
  }
  EXPECT_EQ(ReadAll(path), "one\r\ntwo\r\n");
  EXPECT_TRUE(files.MoveReplacing(path, folder.File("Pacetta 000.log")));
  EXPECT_FALSE(files.Exists(path));
  EXPECT_FALSE(files.MoveReplacing(path, folder.File("Pacetta 001.log")));
}

}  // namespace
}  // namespace pacetta
