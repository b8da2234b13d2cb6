#pragma once
#include <cstdint>
#include <optional>

#include "engine/profiles/profile_store.h"

namespace pacetta {

// The set-profile command of a second instance, the tray or an add-in: `wParam` names
// the profile or steps (previous / next), `lParam` the slot of the selection in use that
// changes. Stepping never reaches profile 0 ("No management"): below 1 it wraps to the
// last profile, past the last to 1. Nullopt when the command is refused (an index or a
// slot out of range); the selection is then left as it is.
std::optional<ProfileSelection> SetProfileCommand(ProfileSelection selection, uint32_t wParam,
                                                  int32_t lParam, int32_t profileCount,
                                                  bool onBattery);

}  // namespace pacetta
