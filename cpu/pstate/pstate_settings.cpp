#include "cpu/pstate/pstate_settings.h"

namespace pacetta {

PStateSettings DefaultPStateSettings(const CpuInfo& cpu) {
  PStateSettings settings;
  if (!cpu.isAmdPowerNow) {
    settings.stopGrantTimeoutCount = 1;
    settings.fidDelayUs = 0;
    settings.vidDelayUs = 0;
  } else if (cpu.isK7) {
    settings.stopGrantTimeoutCount = 10000;
  }
  return settings;
}

}  // namespace pacetta
