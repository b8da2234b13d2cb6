#include "engine/profiles/fresh_profiles.h"

namespace pacetta {

void ApplyFreshInstallDefaults(ProfileStore& store, const CpuInfo& cpu, const DefaultList& list,
                               bool tableRead, bool performanceStates, bool clockModulation) {
  if (!tableRead) {
    bool rangeChanged = false;
    const PStateTable table =
        ApplyDefaultsToTable(cpu, list, store.Table().lastIndex, rangeChanged);
    store.ApplyTable(table, cpu, false);
  }
  for (int32_t index = kPowerSavingProfile; index <= kOnDemandProfile; ++index) {
    Profile* profile = store.At(index);
    if (profile == nullptr) continue;
    ResetProfileDefaults(*profile, index, store.Table(), cpu, list, performanceStates,
                         clockModulation);
    store.Derive(index, cpu);
  }
}

}  // namespace pacetta
