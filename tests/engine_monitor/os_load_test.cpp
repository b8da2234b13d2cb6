// The operating-system load from the system's processor times.
#include "engine/monitor/os_load.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/linux/linux_system.h"

namespace pacetta::testing {
namespace {

using platform::ProcessorTimes;

// Times of a processor that has been `busy` of every 100 units for `steps` steps.
ProcessorTimes After(int64_t steps, int64_t busy) {
  const int64_t idle = steps * (100 - busy);
  // Kernel time includes idle time; the busy part is split between kernel and user.
  return {idle, idle + steps * busy / 2, steps * busy - steps * busy / 2};
}

TEST(OsLoad, IsTheBusyShareBetweenEntries) {
  OsTimesHistory history;
  EXPECT_DOUBLE_EQ(StoreAndComputeOsLoad(history, After(1000, 30), 1), 0.0)
      << "the first entry fills the ring: no time has passed, not the time since boot";
  EXPECT_NEAR(
      StoreAndComputeOsLoad(history,
                            ProcessorTimes{After(1000, 30).idle + 60, After(1000, 30).kernel + 80,
                                           After(1000, 30).user + 20},
                            1),
      40.0, 1e-9);
}

TEST(OsLoad, AveragesOverTheDepthAcrossTheRingsWrap) {
  OsTimesHistory history;
  ProcessorTimes now{};
  // 70 steps: fully idle while the entries are older than the last ten, then fully busy.
  for (int step = 0; step < 70; ++step) {
    const bool busy = step >= 60;
    now.kernel += 100;
    now.idle += busy ? 0 : 100;
    StoreAndComputeOsLoad(history, now, 1);
  }
  now.kernel += 100;
  EXPECT_DOUBLE_EQ(StoreAndComputeOsLoad(history, now, 11), 100.0);
  now.kernel += 100;
  now.idle += 100;
  EXPECT_NEAR(StoreAndComputeOsLoad(history, now, 20), 55.0, 1e-9) << "11 busy of 20";
  now.kernel += 100;
  now.idle += 100;
  EXPECT_NEAR(StoreAndComputeOsLoad(history, now, 200), 11.0 / 63 * 100, 1e-9)
      << "a depth beyond the ring is 63";
}

TEST(OsLoad, NoElapsedTimeAndRunawayIdleStayWithinRange) {
  OsTimesHistory history;
  StoreAndComputeOsLoad(history, {100, 200, 0}, 1);
  EXPECT_DOUBLE_EQ(StoreAndComputeOsLoad(history, {100, 200, 0}, 1), 0.0) << "no division by 0";
  EXPECT_DOUBLE_EQ(StoreAndComputeOsLoad(history, {400, 300, 0}, 1), 0.0)
      << "idle that ran ahead of the total (a helper's time) is not a negative load";
}

class FakeEntryPoints final : public platform::OsEntryPoints {
 public:
  bool HasProcessorTimes() override { return true; }
  int32_t QueryProcessorTimes(std::span<ProcessorTimes> times) override {
    if (fail) return -1;
    for (size_t k = 0; k < times.size(); ++k) times[k] = {int64_t(k) * 10, 1000, 500};
    asked = times.size();
    return 0;
  }
  bool HasPerformanceCounter() override { return false; }
  int32_t QueryPerformanceCounter(int64_t&, int64_t&) override { return -1; }
  bool HasMessageFilter() override { return false; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override { return false; }
  bool fail = false;
  size_t asked = 0;
};

class FakeHelpers final : public IdleHelperTimes {
 public:
  std::optional<int64_t> ConsumedTime(uint32_t processor) override {
    auto it = times.find(processor);
    return it == times.end() ? std::nullopt : std::optional(it->second);
  }
  std::map<uint32_t, int64_t> times;
};

// The optional entry points resolved against the fake system times.
struct QueryRig {
  QueryRig() { entryPoints.Resolve(os, system); }
  FakeEntryPoints os;
  linux_os::LinuxSystem system;
  OptionalEntryPoints entryPoints;
  FakeHelpers helpers;
};

TEST(QueryProcessorTimes, TakesTheOwnRecordOfAllAndCountsTheHelperAsIdle) {
  QueryRig rig;
  rig.helpers.times[2] = 300;
  auto times = QueryProcessorTimes(rig.entryPoints, 2, 4, nullptr);
  ASSERT_TRUE(times);
  EXPECT_EQ(rig.os.asked, 4u) << "one record per processor";
  EXPECT_EQ(times->idle, 20);
  times = QueryProcessorTimes(rig.entryPoints, 2, 4, &rig.helpers);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->idle, 320);
  EXPECT_EQ(times->kernel, 1000) << "only the idle time changes";
  times = QueryProcessorTimes(rig.entryPoints, 1, 4, &rig.helpers);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->idle, 10) << "no helper on processor 1";
}

TEST(QueryProcessorTimes, AFailedQueryOrAProcessorOutsideGivesNothing) {
  QueryRig rig;
  EXPECT_FALSE(QueryProcessorTimes(rig.entryPoints, 4, 4, nullptr));
  EXPECT_FALSE(QueryProcessorTimes(rig.entryPoints, 40, 64, nullptr)) << "at most 32";
  rig.os.fail = true;
  EXPECT_FALSE(QueryProcessorTimes(rig.entryPoints, 0, 4, nullptr));
}

}  // namespace
}  // namespace pacetta::testing
