#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "platform/linux/linux_os_entry_points.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

TEST(LinuxOsEntryPoints, ProcessorTimesComeFromProcStatWithIdleInsideKernelTime) {
  testing::TempFolder folder;
  const std::string stat = folder.File("stat");
  std::ofstream(stat) << "cpu  10 0 10 10 0 0 0 0 0 0\n"
                         "cpu0 100 20 30 400 50 6 4 0 0 0\n"
                         "cpu2 1 2 3 4\n"
                         "intr 12345\n";
  LinuxOsEntryPoints entry(stat);
  std::vector<platform::ProcessorTimes> times(3, {7, 7, 7});
  ASSERT_EQ(entry.QueryProcessorTimes(times), 0);
  const int64_t tick = 10000000 / sysconf(_SC_CLK_TCK);
  EXPECT_EQ(times[0].idle, 450 * tick);
  EXPECT_EQ(times[0].kernel, (30 + 6 + 4 + 450) * tick);
  EXPECT_EQ(times[0].user, 120 * tick);
  EXPECT_EQ(times[1].kernel, 0) << "an offline processor reads as no time";
  EXPECT_EQ(times[2].idle, 4 * tick);
  EXPECT_EQ(times[2].kernel, 7 * tick);

  LinuxOsEntryPoints missing(folder.File("absent"));
  EXPECT_NE(missing.QueryProcessorTimes(times), 0);
}

TEST(LinuxOsEntryPoints, TheCounterRisesAndTheMessageFilterIsAbsent) {
  LinuxOsEntryPoints entry;
  int64_t first = 0, second = 0, frequency = 0;
  ASSERT_EQ(entry.QueryPerformanceCounter(first, frequency), 0);
  ASSERT_EQ(entry.QueryPerformanceCounter(second, frequency), 0);
  EXPECT_EQ(frequency, 1000000000);
  EXPECT_GE(second, first);
  EXPECT_FALSE(entry.HasMessageFilter());
  EXPECT_FALSE(entry.ChangeMessageFilter("TaskbarCreated", 1));
}

}  // namespace
}  // namespace pacetta::linux_os
