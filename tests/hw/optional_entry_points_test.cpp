#include "hw/optional_entry_points.h"

#include <gtest/gtest.h>

#include "platform/linux/linux_system.h"

namespace pacetta {
namespace {

// Entry points of a system that may lack some of them.
class PartialEntryPoints final : public platform::OsEntryPoints {
 public:
  bool times = true, counter = true, filter = true;
  int calls = 0;
  bool HasProcessorTimes() override { return times; }
  int32_t QueryProcessorTimes(std::span<platform::ProcessorTimes> t) override {
    ++calls;
    for (auto& x : t) x = {1, 2, 3};
    return 0;
  }
  bool HasPerformanceCounter() override { return counter; }
  int32_t QueryPerformanceCounter(int64_t& c, int64_t& f) override {
    ++calls;
    c = 5;
    f = 10;
    return 0;
  }
  bool HasMessageFilter() override { return filter; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override {
    ++calls;
    return true;
  }
};

class Wow64System final : public linux_os::LinuxSystem {
 public:
  std::optional<bool> answer;
  std::optional<bool> IsEmulated32On64() override { return answer; }
};

TEST(OptionalEntryPoints, MissingEntriesGiveTheirFailureValuesWithoutCalling) {
  PartialEntryPoints os;
  os.times = os.counter = os.filter = false;
  Wow64System system;  // no answer: the entry point is missing
  OptionalEntryPoints entries;
  entries.Resolve(os, system);
  std::vector<platform::ProcessorTimes> times(2);
  int64_t counter = 0, frequency = 0;
  bool emulated = true;
  EXPECT_EQ(entries.CallNtQuerySystemInformation(times), -1);
  EXPECT_EQ(entries.CallNtQueryPerformanceCounter(counter, frequency), -1);
  EXPECT_FALSE(entries.CallIsWow64Process(emulated));
  EXPECT_FALSE(entries.CallChangeWindowMessageFilter("TaskbarCreated", 1));
  EXPECT_EQ(os.calls, 0);
}

TEST(OptionalEntryPoints, PresentEntriesPassTheirResultsThrough) {
  PartialEntryPoints os;
  Wow64System system;
  system.answer = true;
  OptionalEntryPoints entries;
  entries.Resolve(os, system);
  std::vector<platform::ProcessorTimes> times(2);
  int64_t counter = 0, frequency = 0;
  bool emulated = false;
  EXPECT_EQ(entries.CallNtQuerySystemInformation(times), 0);
  EXPECT_EQ(times[1].user, 3);
  EXPECT_EQ(entries.CallNtQueryPerformanceCounter(counter, frequency), 0);
  EXPECT_EQ(frequency, 10);
  EXPECT_TRUE(entries.CallIsWow64Process(emulated));
  EXPECT_TRUE(emulated);
  EXPECT_TRUE(entries.CallChangeWindowMessageFilter("TaskbarCreated", 1));
}

TEST(COSVersion, OnlyThe9xLineOfVersion4IsWindows9x) {
  struct VersionSystem final : linux_os::LinuxSystem {
    platform::OsVersion version;
    platform::OsVersion Version() override { return version; }
  } system;
  system.version = {4, 10, 2222, platform::kPlatformWin9x};
  EXPECT_TRUE(COSVersion(system).IsWindows9x());
  system.version = {4, 0, 1381, platform::kPlatformNt};
  EXPECT_FALSE(COSVersion(system).IsWindows9x());
  system.version = {6, 1, 7601, platform::kPlatformNt};
  EXPECT_FALSE(COSVersion(system).IsWindows9x());
}

}  // namespace
}  // namespace pacetta
