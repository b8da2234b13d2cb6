#include "app/settings/app_settings.h"

namespace pacetta {

const std::array<const char*, kCentrinoSettingCount> kCentrinoSettingNames = {
    "IntelCentrino.C4onC3",           "IntelCentrino.CPUSLPinC3",
    "IntelCentrino.CPUSLPinS1",       "IntelCentrino.C4inS1M",
    "IntelCentrino.Popdown",          "IntelCentrino.Popup",
    "IntelCentrino.C4Disable",        "IntelCentrino.C5Enable",
    "IntelCentrino.SlowC4ExitEnable", "IntelCentrino.CPUPLLLockTime",
    "IntelCentrino.CPUSLPtoSTPCLK",   "IntelCentrino.DPSLPtoCPUSLP",
    "IntelCentrino.DPRSLPVRtoSTPCPU", "IntelCentrino.SlowC4ExitDelay",
    "IntelCentrino.ThermalThrottle",  "IntelCentrino.NormalThrottle",
    "IntelCentrino.ThrottleLock",
};

AppSettings::AppSettings(const SettingsMachine& machine) : profiles(machine.osMajorVersion) {
  const CpuInfo& cpu = machine.processor0;
  // The operating system's load follows the SpeedStep processors' own power management
  // better than the busy-cycle counter does.
  management.cpuOsLoadSelect = (cpu.isIntelSpeedStep || cpu.isViaC7) ? 1 : 0;
  management.defaultFid = cpu.startFid;
  management.defaultVid = cpu.startVid;

  const PStateSettings transitions = DefaultPStateSettings(cpu);
  family.k7k8.stopGrantTimeoutCount = static_cast<int32_t>(transitions.stopGrantTimeoutCount);
  family.k7k8.fidDelayUs = static_cast<int32_t>(transitions.fidDelayUs);
  family.k7k8.vidDelayUs = static_cast<int32_t>(transitions.vidDelayUs);
  family.k8.pstMethod = static_cast<int32_t>(transitions.k8PstMethod);
  family.k8.rampVoltageOffsetMv = transitions.k8RampVoltageOffsetMv;
  family.intel.eist = machine.eistEnabled ? 1 : 0;
}

PStateSettings AppSettings::TransitionSettings() const {
  PStateSettings settings;
  settings.k8PstMethod = static_cast<uint32_t>(family.k8.pstMethod);
  settings.k8RampVoltageOffsetMv = family.k8.rampVoltageOffsetMv;
  settings.stopGrantTimeoutCount = static_cast<uint32_t>(family.k7k8.stopGrantTimeoutCount);
  settings.fidDelayUs = static_cast<uint32_t>(family.k7k8.fidDelayUs);
  settings.vidDelayUs = static_cast<uint32_t>(family.k7k8.vidDelayUs);
  return settings;
}

void AppSettings::ForgetDeletedProfile(int32_t index) {
  ProfileSelection stored{management.profileAc, management.profileDc};
  AdjustSelectionAfterDelete(stored, index);
  management.profileAc = stored.ac;
  management.profileDc = stored.dc;
}

}  // namespace pacetta
