#include "cpu/sensors/activity_counters.h"

#include <gtest/gtest.h>

namespace pacetta {
namespace {

TEST(ActivityBetween, ClockAndBusyShareFromTheCounterDistances) {
  constexpr double kTscMhz = 2900.0;
  const ActivityCounters start{1'000'000, 500, 700, true};
  struct Case {
    const char* what;
    ActivityCounters later;
    double clockMhz, busyPercent;
  } cases[] = {
      // Half the time busy, running at 1.5 x the counter's rate while busy.
      {"boosted", {1'000'000 + 2'900'000, 500 + 1'450'000, 700 + 2'175'000, true}, 4350.0, 50.0},
      {"slow and busy",
       {1'000'000 + 2'900'000, 500 + 2'900'000, 700 + 1'160'000, true},
       1160.0,
       100.0},
      {"halted throughout", {1'000'000 + 2'900'000, 500, 700, true}, -1.0, 0.0},
      {"the counters went back", {1'000'000 + 2'900'000, 400, 700, true}, -1.0, -1.0},
      {"no time passed", {1'000'000, 600, 800, true}, -1.0, -1.0},
      {"not readable", {1'000'000 + 2'900'000, 600, 800, false}, -1.0, -1.0},
  };
  for (const Case& c : cases) {
    const Activity activity = ActivityBetween(start, c.later, kTscMhz);
    EXPECT_NEAR(activity.clockMhz, c.clockMhz, 1e-6) << c.what;
    EXPECT_NEAR(activity.busyPercent, c.busyPercent, 1e-6) << c.what;
  }
}

}  // namespace
}  // namespace pacetta
