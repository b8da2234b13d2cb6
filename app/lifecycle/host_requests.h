#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "engine/profiles/profile_store.h"
#include "platform/instance.h"
#include "platform/power.h"
#include "power/os_power_policy.h"

namespace pacetta {

// What the main window knows when the professional-features module asks.
struct HostState {
  ProfileSelection selection;  // in use
  bool onBattery = false;
  std::optional<platform::PowerStatus> power;  // nullopt: not readable
  double meanTemperature = -1.0;               // degrees Celsius; negative: not available
  int32_t powerEvent = 0;                      // the power-event mark
};

// The synchronous answer to requests 0x0505 to 0x0509; reading the power event clears
// the mark. Nullopt for a message that is not one of them.
std::optional<int64_t> AnswerHostRequest(const platform::WindowMessage& message, HostState& state);

// Request 0x050A carries a 16-byte buffer, zeroed by the events engine, for the active OS
// scheme's identifier (the older generation's index in the first four bytes, or the
// plan's GUID). The answer is 1; the buffer stays zero when the system cannot say.
int64_t AnswerSchemeRequest(power::OsPowerPolicy& policy, std::span<uint8_t, 16> buffer);

}  // namespace pacetta
