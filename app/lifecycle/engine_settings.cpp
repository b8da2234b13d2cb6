#include "app/lifecycle/engine_settings.h"

namespace pacetta {

SamplerSettings SamplerSettingsOf(const AppSettings& settings) {
  SamplerSettings sampler;
  sampler.refreshMs = settings.intervals.refreshMs;
  sampler.loadDepth = settings.derived.loadDepth;
  sampler.temperatureDepth = settings.derived.temperatureDepth;
  sampler.cpuLoadMethod = settings.management.cpuLoadMethod;
  sampler.cpuOsLoadSelect = settings.management.cpuOsLoadSelect;
  sampler.runHltOnIdle = settings.management.runHltOnIdle;
  sampler.overheatAlert = settings.management.overheatAlert;
  sampler.showCriticalBalloons = settings.tray.showCriticalBalloons;
  sampler.tempUnits = settings.tray.tempUnits;
  return sampler;
}

management::ManagementSettings ManagementSettingsOf(const AppSettings& settings,
                                                    const Calibration& calibration) {
  management::ManagementSettings out;
  out.controlIntervalMs = settings.intervals.controlMs;
  out.startDelayMs = settings.derived.mgmtStartDelayMs;
  out.noRealtimePriority = settings.intervals.noRealtimePriority;
  out.transitionsMethod = settings.management.transitionsMethod;
  out.cpuLoadMethod = settings.management.cpuLoadMethod;
  out.suspendAction = settings.management.suspendAction;
  out.defaultsOnExit = settings.management.defaultsOnExit;
  out.defaultsOnDisable = settings.management.defaultsOnDisable;
  out.defaultsMode = settings.management.defaultsMode;
  out.defaultFid = settings.management.defaultFid;
  out.defaultVid = settings.management.defaultVid;
  out.showInfoBalloons = settings.tray.showInfoBalloons;
  out.pstate = settings.TransitionSettings();
  out.busClockMhz = calibration.busClockMhz;
  out.cyclesPerPass = calibration.cyclesPerPass;
  return out;
}

LogOptions LogOptionsOf(const AppSettings& settings) {
  LogOptions options;
  options.flags = static_cast<uint32_t>(settings.logging.loggingFlags);
  options.maxPeriodSeconds = settings.logging.maxLoggingPeriodS;
  return options;
}

}  // namespace pacetta
