// How many refusal messages go out, and how the rest are counted.
#include "tools/portex64/refusal_log.h"

#include <gtest/gtest.h>

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
using portex::RateLimit;

TEST(RateLimitTest, ABurstPerIntervalGoesOutAndTheRestIsCountedOnce) {
  const auto t0 = portex::SteadyClock::time_point{} + 1h;
  RateLimit limit(3, 10s);
  // A flood at one moment: the first three go out.
  int sent = 0;
  for (int k = 0; k < 100; ++k) sent += limit.Admit(t0) ? 1 : 0;
  EXPECT_EQ(sent, 3);
  EXPECT_TRUE(limit.Holding());
  // Reported once its interval is over, not before.
  EXPECT_EQ(limit.TakeHeldBack(t0 + 9s), 0u);
  EXPECT_EQ(limit.TakeHeldBack(t0 + 10s), 97u);
  EXPECT_EQ(limit.TakeHeldBack(t0 + 11s), 0u);
  EXPECT_FALSE(limit.Holding());

  // The next interval begins with the next message, however late.
  const auto t1 = t0 + 1h;
  for (int k = 0; k < 5; ++k) EXPECT_EQ(limit.Admit(t1 + k * 1s), k < 3) << k;
  limit.HoldBack();  // admitted, but the output had no room for it
  for (int k = 0; k < 4; ++k) EXPECT_EQ(limit.Admit(t1 + 10s + k * 1ms), k < 3) << k;
  // At the end everything held back is reported, whether its interval is over or not.
  EXPECT_EQ(limit.TakeHeldBack(t1 + 10s, true), 2u + 1u + 1u);
  EXPECT_EQ(limit.TakeHeldBack(t1 + 1h, true), 0u);
}

}  // namespace
}  // namespace pacetta::testing
