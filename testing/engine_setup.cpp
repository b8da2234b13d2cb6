#include "testing/engine_setup.h"

#include <stdexcept>

#include "cpu/pstate/pstate_settings.h"

namespace pacetta::testing {

void FillFixedProfiles(ProfileStore& store, const CpuInfo& cpu, std::optional<int32_t> intervalMs) {
  const int32_t last = store.Table().lastIndex;
  for (int32_t index : {kPowerSavingProfile, kMaximalPerformanceProfile, kOnDemandProfile}) {
    for (ProfileHalf* half : {&store.At(index)->ac, &store.At(index)->dc}) {
      half->useFidVid = 1;
      if (intervalMs) {
        half->upIntervalMs = *intervalMs;
        half->downIntervalMs = *intervalMs;
      }
      if (index == kOnDemandProfile) {
        half->lastState = last;
        for (int32_t row = 0; row <= last; ++row) half->states[static_cast<size_t>(row)] = row;
      } else {
        half->lastState = 0;
        half->states[0] = index == kPowerSavingProfile ? 0 : last;
      }
    }
    store.Derive(index, cpu);
  }
}

void LoadFixedProfiles(ProfileStore& store, const CpuInfo& cpu, std::optional<int32_t> intervalMs) {
  store.Load({}, cpu, kMaxProfiles);
  FillFixedProfiles(store, cpu, intervalMs);
}

management::ManagementSettings CalibratedManagement(IdentifiedMachine& machine,
                                                    management::ManagementSettings base) {
  const Calibration calibration = machine.CalibrateAsAtStart();
  if (!(calibration.cyclesPerPass > 0.0)) {
    throw std::runtime_error("the delay loop did not calibrate");
  }
  base.cyclesPerPass = calibration.cyclesPerPass;
  base.busClockMhz = calibration.busClockMhz;
  base.pstate = DefaultPStateSettings(machine.Records().front());
  return base;
}

}  // namespace pacetta::testing
