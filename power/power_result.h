#pragma once
#include <cstdint>

#include "platform/os_power.h"

namespace pacetta::power {

// Results of the OS power policy's operations: 0 success, negative an error.
inline constexpr int32_t kPowerOk = 0;
// A failure the system gave no error code for.
inline constexpr int32_t kPowerFailed = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kPowerInvalidArgument = static_cast<int32_t>(0x80070057);

// The result form of a system error: 0x80070000 with its low 16 bits, or the error
// itself when it is not positive as a signed value.
int32_t ResultOfError(uint32_t systemError);
// 0 for a call that worked. A failed call is never 0, also when the system reported
// error 0 with it.
int32_t ResultOf(const platform::PowerCall& call);

}  // namespace pacetta::power
