#include "power/power_result.h"

namespace pacetta::power {

int32_t ResultOfError(uint32_t systemError) {
  const auto signedError = static_cast<int32_t>(systemError);
  if (signedError <= 0) return signedError;
  return static_cast<int32_t>(0x80070000u | (systemError & 0xFFFFu));
}

int32_t ResultOf(const platform::PowerCall& call) {
  if (!call.failed) return kPowerOk;
  const int32_t result = ResultOfError(call.systemError);
  // Some power functions fail without setting an error: that must stay a failure.
  return result == kPowerOk ? kPowerFailed : result;
}

}  // namespace pacetta::power
