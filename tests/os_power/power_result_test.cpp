#include "power/power_result.h"

#include <gtest/gtest.h>

namespace pacetta::power {
namespace {

TEST(PowerResult, AFailedCallIsNeverSuccessWhateverErrorTheSystemGave) {
  struct Case {
    platform::PowerCall call;
    uint32_t expected;
  };
  const Case cases[] = {
      {platform::PowerCall::Ok(), 0},
      // Some functions fail without setting an error: still a failure.
      {platform::PowerCall::Error(0), 0x80004005},
      {platform::PowerCall::Error(5), 0x80070005},
      {platform::PowerCall::Error(0x12345), 0x80072345},
      // A value that already is a failure result passes unchanged.
      {platform::PowerCall::Error(0x80070057), 0x80070057},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<uint32_t>(ResultOf(c.call)), c.expected) << c.call.systemError;
  }
}

}  // namespace
}  // namespace pacetta::power
