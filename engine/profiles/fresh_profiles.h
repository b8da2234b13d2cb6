#pragma once
#include "cpu/cpu_info.h"
#include "engine/profiles/default_list.h"
#include "engine/profiles/profile_store.h"

namespace pacetta {

// A fresh install manages from its first start: with no profile stored, profiles 1 to 3
// start as their "Defaults" button sets them, on the table as the editor's "Defaults"
// builds it (unless a stored table was read, which is kept). Only the store in memory
// changes; what is stored is written by the orderly end as always.
void ApplyFreshInstallDefaults(ProfileStore& store, const CpuInfo& cpu, const DefaultList& list,
                               bool tableRead, bool performanceStates, bool clockModulation);

}  // namespace pacetta
