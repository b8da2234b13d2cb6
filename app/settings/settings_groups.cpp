#include "app/settings/settings_visitor.h"

namespace pacetta {

void VisitK8Values(SettingsVisitor& v, AppSettings& s, const CpuInfo& cpu) {
  if (cpu.isAmdPowerNow) {
    AmdK7K8Settings& shared = s.family.k7k8;
    v.Clamped("AMDK7K8.StopGrantTimeoutCount", shared.stopGrantTimeoutCount, 1, 1000000);
    v.Clamped("AMDK7K8.FidDelay", shared.fidDelayUs, 0, 100);
    v.Clamped("AMDK7K8.VidDelay", shared.vidDelayUs, 0, 200);
  }
  if (cpu.isK8) {
    AmdK8Settings& k8 = s.family.k8;
    // The method decides which FIDs the stored table may hold, so it is trusted only
    // together with the processor stamp.
    if (v.Allows(SettingsGroup::kK8Method)) v.Plain("AMDK8.PSTMethod", k8.pstMethod);
    v.Clamped("AMDK8.RampVoltageOffset", k8.rampVoltageOffsetMv, 0, 75);
    v.Boolean("AMDK8.TscSyncEnable", k8.tscSyncEnable);
    v.Clamped("AMDK8.TscSyncSource", k8.tscSyncSource, 0, 1);
    v.Clamped("AMDK8.TscSyncInterval", k8.tscSyncIntervalMs, 1000, 60000);
  }
}

void VisitIntelBasics(SettingsVisitor& v, AppSettings& s, const CpuInfo& cpu) {
  if (!cpu.isIntelPState && !cpu.isViaC7) return;
  v.Boolean("IntelPMP4.EIST", s.family.intel.eist);
  // Intel and VIA keep their settling time in the AMD VID delay's field.
  v.Clamped("IntelPMP4.FidVidDelay", s.family.k7k8.vidDelayUs, 0, 200);
}

void VisitAdvancedValues(SettingsVisitor& v, AppSettings& s, const CpuInfo& cpu) {
  FamilySettings& f = s.family;
  if (cpu.isK8) {
    v.Plain("AMDK8.PMM0", f.k8.pmm0);
    v.Plain("AMDK8.PMM1", f.k8.pmm1);
    v.Plain("AMDK8.ClockPowerTimings", f.k8.clockPowerTimings);
    if (cpu.isK8RevEOrLater) {
      v.Plain("AMDK8.AltVid", f.k8.altVid);
      v.Clamped("AMDK8.VSTime", f.k8.vsTimeUs, 0, 5240);
    }
  }
  if (cpu.isK7) {
    v.Plain("AMDK7.HaltDivisor", f.k7.haltDivisor);
    v.Plain("AMDK7.StopGrantDivisor", f.k7.stopGrantDivisor);
    v.Plain("AMDK7.FullRamp", f.k7.fullRamp);
    v.Plain("AMDK7.RampDelays", f.k7.rampDelays);
    v.Boolean("AMDK7.ApicDisconnect", f.k7.apicDisconnect);
  }
  if (cpu.isIntelPState || cpu.isViaC7) {
    v.Plain("IntelPMP4.TM", f.intel.thermalMonitor);
    v.Plain("IntelPMP4.TM2Fid", f.intel.tm2Fid);
    v.Plain("IntelPMP4.TM2Vid", f.intel.tm2Vid);
  }
  if (cpu.isIntelCore) {
    v.Plain("IntelPMP4.CStateEnh", f.intel.cStateEnh);
    v.Boolean("IntelCore2.IDA", f.intel.ida);
    v.Boolean("IntelCore2.DFFS", f.intel.dffs);
  }
  if (cpu.isIntelSpeedStep) {
    for (size_t i = 0; i < kCentrinoSettingCount; ++i)
      v.Plain(kCentrinoSettingNames[i], f.centrino[i]);
  }
  if (cpu.isTransmeta) {
    TransmetaSettings& t = f.transmeta;
    v.Clamped("Transmeta.MinBoundAC", t.minBoundAc, 0, 100);
    v.Clamped("Transmeta.MinBoundDC", t.minBoundDc, 0, 100);
    v.Clamped("Transmeta.MaxBoundAC", t.maxBoundAc, 0, 100);
    v.Clamped("Transmeta.MaxBoundDC", t.maxBoundDc, 0, 100);
    v.Boolean("Transmeta.PerfModeAC", t.perfModeAc);
    v.Boolean("Transmeta.PerfModeDC", t.perfModeDc);
    v.Choice("Transmeta.ATMModeAC", t.atmModeAc, 0, 6);
    v.Choice("Transmeta.ATMModeDC", t.atmModeDc, 0, 6);
  }
}

void VisitSuspendAndDefaults(SettingsVisitor& v, AppSettings& s) {
  ManagementSettings& m = s.management;
  v.Choice("SuspendAction", m.suspendAction, 0, 2);
  v.Boolean("DefaultsOnExit", m.defaultsOnExit);
  v.Boolean("DefaultsOnDisable", m.defaultsOnDisable);
  if (v.Allows(SettingsGroup::kDefaultsOnExit)) {
    v.Choice("DefaultsMode", m.defaultsMode, 0, 2);
    // Checked against the processor's limits by the load.
    v.Plain("DefaultFid", m.defaultFid);
    v.Plain("DefaultVid", m.defaultVid);
  }
}

void VisitGeneralValues(SettingsVisitor& v, AppSettings& s) {
  IntervalSettings& i = s.intervals;
  v.Clamped("RefreshInterval", i.refreshMs, 200, 60000, Stored::kReadOnly);
  v.Clamped("ControlInterval", i.controlMs, 20, 10000, Stored::kReadOnly);
  v.Clamped("LoadAverage", i.loadAverageMs, 50, 1000, Stored::kReadOnly);
  v.Clamped("CpuTempAverage", i.cpuTempAverageMs, 1000, 10000, Stored::kReadOnly);
  v.Boolean("NoRealtimePriority", i.noRealtimePriority, Stored::kReadOnly);
  v.Clamped("MgmtStartDelay", i.mgmtStartDelayS, 0, 3600, Stored::kReadOnly);

  ManagementSettings& m = s.management;
  v.Choice("CpuLoadMethod", m.cpuLoadMethod, 0, 5);
  v.Choice("CpuOsLoadSelect", m.cpuOsLoadSelect, 0, 1);
  v.Choice("TransitionsMethod", m.transitionsMethod, 0, 1);
  v.Boolean("RunHltOnIdle", m.runHltOnIdle);
  v.Boolean("OverheatAlert", m.overheatAlert);

  BatterySettings& b = s.battery;
  v.Boolean("HideWindowsPowerIcon", b.hideWindowsPowerIcon);
  v.Boolean("BatteryDevNotifyEnable", b.devNotifyEnable);
  v.Boolean("BatteryPollEnable", b.pollEnable);
  v.Clamped("BatteryPollInterval", b.pollIntervalMs, 1000, 60000);
  v.Clamped("BatteryEstimationAverage", b.estimationAverageMs, 1000, 300000);
  v.Boolean("BatteryChargeRateForceEstimate", b.chargeRateForceEstimate);
  v.Boolean("BatteryLifeTimeForceEstimate", b.lifeTimeForceEstimate);

  TraySettings& t = s.tray;
  v.Boolean("ShowInfoBalloons", t.showInfoBalloons);
  v.Boolean("ShowCriticalBalloons", t.showCriticalBalloons);
  v.Boolean("ShowPerfLevel", t.showPerfLevel);
  v.Boolean("ShowFreqInTray", t.showFreqInTray);
  v.Choice("FreqIconMode", t.freqIconMode, 0, 1);
  v.Plain("FreqIconUnits", t.freqIconUnits);
  v.Boolean("ShowLoadInTray", t.showLoadInTray);
  v.Choice("LoadIconMode", t.loadIconMode, 0, 2);
  v.Plain("LoadIconType", t.loadIconType);
  v.Boolean("ShowTempInTray", t.showTempInTray);
  v.Choice("TempUnits", t.tempUnits, 0, 1);
  v.Boolean("ShowBatteryInTrayDischarging", t.showBatteryDischarging);
  v.Boolean("ShowBatteryInTrayCharging", t.showBatteryCharging);
  v.Boolean("ShowBatteryInTrayOnAC", t.showBatteryOnAc);
  v.Plain("BatteryIconModeCharging", t.batteryIconModeCharging);
  v.Plain("BatteryIconModeDischarging", t.batteryIconModeDischarging);
  v.Boolean("LeftClickMenu", t.leftClickMenu);

  WindowSettings& w = s.window;
  v.Plain("ResourceLocaleId", w.resourceLocaleId);
  // One bit per group of the Monitoring page: a boolean would keep only the first.
  v.Plain("HideMonitoring", w.hideMonitoring);
  v.Boolean("AlwaysOnTop", w.alwaysOnTop);
  v.Boolean("TaskbarButton", w.taskbarButton);
  // 0 off, 1 and 2 the two ways of starting at logon; any other value means on, the first
  // way, as when it was a plain switch.
  v.Plain("AutoRun", w.autoRun);
  if (w.autoRun != 0 && w.autoRun != 2) w.autoRun = 1;
  v.Boolean("RunMinimized", w.runMinimized);
  v.Boolean("WindowCollapsed", w.collapsed);

  LoggingSettings& l = s.logging;
  v.Boolean("EnableLogging", l.enableLogging);
  v.Plain("LoggingFlags", l.loggingFlags);
  v.Clamped("MaxLoggingPeriod", l.maxLoggingPeriodS, 60, 86399940);
}

void VisitColors(SettingsVisitor& v, ColorSettings& c) {
  v.Color("Colors.GraphBackground", c.graphBackground);
  v.Color("Colors.GraphGrid", c.graphGrid);
  v.Color("Colors.FrequencyGraph", c.frequencyGraph);
  v.Color("Colors.ThrottleGraph", c.throttleGraph);
  v.Color("Colors.CPULoadGraph", c.cpuLoadGraph);
  v.Color("Colors.OSLoadGraph", c.osLoadGraph);
  v.Color("Colors.FIDGraph", c.fidGraph);
  v.Color("Colors.VIDGraph", c.vidGraph);
  v.Color("Colors.TemperatureGraph", c.temperatureGraph);
  v.Color("Colors.FrequencyIconText", c.frequencyIconText);
  v.Color("Colors.TemperatureIconText", c.temperatureIconText);
  v.Color("Colors.BatteryIconText", c.batteryIconText);
}

void VisitWindowPlace(SettingsVisitor& v, WindowSettings& w) {
  // A window placed off the top or left edge would be unreachable.
  v.Clamped("WindowLeft", w.left, 0, INT32_MAX);
  v.Clamped("WindowTop", w.top, 0, INT32_MAX);
  v.Clamped("ActivePage", w.activePage, 0, INT32_MAX);
}

}  // namespace pacetta
