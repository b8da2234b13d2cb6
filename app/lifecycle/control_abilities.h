#pragma once
#include "cpu/cpu_info.h"

namespace pacetta {

// What processor 0 can do, as the main window's initialisation decides it.
struct ControlAbilities {
  // FID/VID control, or an enhanced SpeedStep that is switched on.
  bool performanceStates = false;
  bool clockModulation = false;

  bool Any() const { return performanceStates || clockModulation; }
};

ControlAbilities AbilitiesOf(const CpuInfo& processor0, bool enhancedSpeedStepOn);

}  // namespace pacetta
