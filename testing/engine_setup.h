#pragma once
// What the engine is handed on a simulated machine, as the running program hands it:
// the profile store with the fixed profiles given states, and the management settings
// with the start calibration.
#include <cstdint>
#include <optional>

#include "cpu/cpu_info.h"
#include "engine/management/management_types.h"
#include "engine/profiles/profile_store.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {

// Gives the three fixed profiles state lists over `store`'s table, both halves alike and
// with FID/VID control: "Power saving" holds the slowest row, "Maximal performance" the
// fastest, "Performance on demand" runs over every row. With `intervalMs`, that is the up
// and down interval of every half; without it they keep theirs.
void FillFixedProfiles(ProfileStore& store, const CpuInfo& cpu,
                       std::optional<int32_t> intervalMs = std::nullopt);

// Loads `store` as a first start does (nothing stored, room for every profile, the table
// of `cpu`'s candidate states), then fills the fixed profiles as above.
void LoadFixedProfiles(ProfileStore& store, const CpuInfo& cpu,
                       std::optional<int32_t> intervalMs = std::nullopt);

// `base` with the start calibration taken on `machine` and processor 0's default
// performance-state settings. Throws std::runtime_error when the delay loop did not
// calibrate: every busy wait of the engine would then be wrong.
management::ManagementSettings CalibratedManagement(IdentifiedMachine& machine,
                                                    management::ManagementSettings base);

}  // namespace pacetta::testing
