#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/sim/pc/sim_local_clock.h"
#include "platform/sim/session/sim_user_session.h"
#include "tests/sim_power/notice_recorder.h"
#include "tests/test_support/manual_clock.h"

namespace pacetta::sim {
namespace {

using platform::PowerNotice;
using platform::SystemPowerRequest;
using testing::ManualClock;
using testing::NoticeRecorder;
using testing::NoticesOf;

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;
constexpr uint64_t kStart = 40 * kS;  // the machine's clock at its start
constexpr std::chrono::seconds kBound{20};

TEST(SimUserSession, StandbyAndHibernateSleepUntilTheUserWakesTheMachine) {
  for (const auto request : {SystemPowerRequest::kStandby, SystemPowerRequest::kHibernate}) {
    SCOPED_TRACE(platform::SystemPowerRequestName(request));
    auto clock = std::make_shared<ManualClock>(kStart);
    SimPower power;
    SimUserSession session(clock, kStart, power);
    std::atomic<uint64_t> resumedAtNs{0};
    NoticeRecorder recorder;
    recorder.onNotice = [&](PowerNotice notice) {
      if (notice == PowerNotice::kResumed) resumedAtNs = clock->NowNs();
    };
    auto subscription = power.Subscribe(recorder);

    const uint64_t askedNs = kStart + 10 * kS;
    clock->Set(askedNs);
    EXPECT_TRUE(session.RequestSystemPower(request));
    EXPECT_FALSE(session.RequestSystemPower(request)) << "a sleeping machine takes no request";
    ASSERT_TRUE(power.WaitDelivered(kBound));
    EXPECT_TRUE(power.Asleep());

    const uint64_t wokenNs = askedNs + SimUserSession::kSleepNs;
    clock->Set(wokenNs);
    EXPECT_EQ(NoticesOf(recorder.WaitFor(2)),
              (std::vector{PowerNotice::kSuspending, PowerNotice::kResumed}));
    EXPECT_GE(resumedAtNs.load(), wokenNs) << "woken before its time";
    clock->Set(wokenNs + 1500 * kMs);
    EXPECT_EQ(session.IdleMilliseconds(), 1500u) << "waking the machine is input";
    EXPECT_EQ(session.PowerRequests(),
              (std::vector<PowerRequestRecord>{{10 * kS, request}, {10 * kS, request}}))
        << "the refused request is recorded too";
  }
}

TEST(SimLocalClock, StartsAtTheHostsTimeRunsWithTheMachineAndKnowsNoDaylightSaving) {
  const auto hostSeconds = [] {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  };
  auto clock = std::make_shared<ManualClock>(kStart);
  const int64_t before = hostSeconds();
  SimLocalClock wallClock(clock);
  const int64_t after = hostSeconds();
  clock->Set(kStart + 90 * kS);
  EXPECT_GE(wallClock.EpochSeconds(), before + 90);
  EXPECT_LE(wallClock.EpochSeconds(), after + 90);

  // Midsummer noon is 12:00 UTC, and a day that no calendar has is no time.
  EXPECT_EQ(wallClock.EpochSecondsOf({2024, 7, 1, 12, 0, 0, 0}), 1719835200);
  EXPECT_EQ(wallClock.EpochSecondsOf({2024, 13, 1, 12, 0, 0, 0}), std::nullopt);
}

}  // namespace
}  // namespace pacetta::sim
