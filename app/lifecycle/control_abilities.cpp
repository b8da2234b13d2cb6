#include "app/lifecycle/control_abilities.h"

#include "cpu/identify/feature_predicates.h"

namespace pacetta {

ControlAbilities AbilitiesOf(const CpuInfo& processor0, bool enhancedSpeedStepOn) {
  ControlAbilities abilities;
  abilities.performanceStates = SupportsFidVidControl(processor0) || enhancedSpeedStepOn;
  abilities.clockModulation = SupportsOdcm(processor0);
  return abilities;
}

}  // namespace pacetta
