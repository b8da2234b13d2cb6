#include "app/lifecycle/host_requests.h"

#include <gtest/gtest.h>

#include "app/window_messages.h"

namespace pacetta {
namespace {

int64_t Ask(HostState& state, uint32_t message, uint32_t wParam = 0) {
  const auto answer = AnswerHostRequest({message, wParam, 0}, state);
  EXPECT_TRUE(answer.has_value());
  return answer.value_or(-1000);
}

TEST(HostRequests, ProfilesPowerAndTemperatureAnswers) {
  HostState state;
  state.selection = {2, 1};
  state.onBattery = true;
  EXPECT_EQ(Ask(state, kMsgGetProfile, 0), 2);
  EXPECT_EQ(Ask(state, kMsgGetProfile, 1), 1);
  EXPECT_EQ(Ask(state, kMsgGetProfile, 3), 1);  // the battery profile is in use

  EXPECT_EQ(Ask(state, kMsgPowerSource), platform::kAcUnknown);
  EXPECT_EQ(Ask(state, kMsgBatteryLevel), platform::kPercentUnknown);
  platform::PowerStatus status;
  status.acLine = platform::kAcOffline;
  status.batteryPercent = 57;
  state.power = status;
  EXPECT_EQ(Ask(state, kMsgPowerSource), 0);
  EXPECT_EQ(Ask(state, kMsgBatteryLevel), 57);

  EXPECT_EQ(Ask(state, kMsgTemperature), 0);  // no sensor: "unknown"
  state.meanTemperature = 47.5;
  EXPECT_EQ(Ask(state, kMsgTemperature), 48);
  state.meanTemperature = 47.49;
  EXPECT_EQ(Ask(state, kMsgTemperature), 47);
}

TEST(HostRequests, ThePowerEventIsClearedByItsRead) {
  HostState state;
  state.powerEvent = kPowerEventSuspend;
  EXPECT_EQ(Ask(state, kMsgPowerEvent), kPowerEventSuspend);
  EXPECT_EQ(Ask(state, kMsgPowerEvent), kPowerEventNone);
  state.powerEvent = kPowerEventResume;
  EXPECT_EQ(Ask(state, kMsgPowerEvent), kPowerEventResume);
  EXPECT_EQ(state.powerEvent, kPowerEventNone);
}

TEST(HostRequests, OtherMessagesAreNotRequests) {
  HostState state;
  state.powerEvent = kPowerEventSuspend;
  EXPECT_FALSE(AnswerHostRequest({kMsgSetProfile, 1, 3}, state));
  EXPECT_FALSE(AnswerHostRequest({kMsgPowerScheme, 0, 0}, state));
  EXPECT_EQ(state.powerEvent, kPowerEventSuspend);  // untouched
}

}  // namespace
}  // namespace pacetta
