#include "app/lifecycle/host_requests.h"

#include <algorithm>
#include <cmath>

#include "app/window_messages.h"

namespace pacetta {

std::optional<int64_t> AnswerHostRequest(const platform::WindowMessage& message, HostState& state) {
  switch (message.message) {
    case kMsgGetProfile:
      if (message.wParam == 0) return state.selection.ac;
      if (message.wParam == 1) return state.selection.dc;
      return state.selection.Current(state.onBattery);
    case kMsgPowerSource:
      return state.power ? state.power->acLine : platform::kAcUnknown;
    case kMsgBatteryLevel:
      return state.power ? state.power->batteryPercent : platform::kPercentUnknown;
    case kMsgTemperature:
      // 0 stands for "unknown": a machine without a sensor never reports a temperature.
      return state.meanTemperature < 0.0 ? 0 : std::lround(state.meanTemperature);
    case kMsgPowerEvent: {
      const int32_t mark = state.powerEvent;
      state.powerEvent = kPowerEventNone;
      return mark;
    }
    default:
      return std::nullopt;
  }
}

int64_t AnswerSchemeRequest(power::OsPowerPolicy& policy, std::span<uint8_t, 16> buffer) {
  power::SchemeId id{};
  if (policy.GetActiveSchemeId(id) != power::kPowerOk) id.fill(0);
  std::copy(id.begin(), id.end(), buffer.begin());
  return 1;
}

}  // namespace pacetta
