#include <gtest/gtest.h>

#include "tests/settings/settings_test_support.h"

namespace pacetta::settings_test {
namespace {

AppSettings LoadStored(const Machine& machine, platform::RegistryValues extra) {
  auto values = StampedValues(machine.processor);
  for (auto& [name, value] : extra) values[name] = value;
  auto registry = RegistryWith(values);
  return LoadFresh(machine, registry);
}

uint32_t Word(int32_t value) {
  return static_cast<uint32_t>(value);
}

TEST(SettingsClamps, IntervalsAndPeriodsAreClampedToTheirRanges) {
  const Machine machine(AthlonK8RevE());
  const AppSettings low = LoadStored(machine, {{"RefreshInterval", 50u},
                                               {"ControlInterval", 0u},
                                               {"MaxLoggingPeriod", 30u},
                                               {"LoadAverage", Word(-5)},
                                               {"CpuTempAverage", 1u},
                                               {"MgmtStartDelay", Word(-1)},
                                               {"BatteryPollInterval", 0u},
                                               {"BatteryEstimationAverage", 999u},
                                               {"AMDK7K8.StopGrantTimeoutCount", 0u},
                                               {"AMDK8.TscSyncInterval", 1u}});
  EXPECT_EQ(low.intervals.refreshMs, 200);
  EXPECT_EQ(low.intervals.controlMs, 20);
  EXPECT_EQ(low.logging.maxLoggingPeriodS, 60);
  EXPECT_EQ(low.intervals.loadAverageMs, 50);
  EXPECT_EQ(low.intervals.cpuTempAverageMs, 1000);
  EXPECT_EQ(low.intervals.mgmtStartDelayS, 0);
  EXPECT_EQ(low.battery.pollIntervalMs, 1000);
  EXPECT_EQ(low.battery.estimationAverageMs, 1000);
  EXPECT_EQ(low.family.k7k8.stopGrantTimeoutCount, 1);
  EXPECT_EQ(low.family.k8.tscSyncIntervalMs, 1000);

  const AppSettings high = LoadStored(machine, {{"RefreshInterval", 0xFFFFFFFFu},
                                                {"ControlInterval", 10001u},
                                                {"MaxLoggingPeriod", 0x7FFFFFFFu},
                                                {"MgmtStartDelay", 3601u},
                                                {"AMDK7K8.FidDelay", 101u},
                                                {"AMDK7K8.VidDelay", 500u},
                                                {"AMDK8.RampVoltageOffset", 100u},
                                                {"AMDK8.TscSyncSource", 2u},
                                                {"AMDK8.VSTime", 6000u},
                                                {"RememberAdvanced", 1u}});
  // 0xFFFFFFFF is -1 as a signed word: the lower bound applies.
  EXPECT_EQ(high.intervals.refreshMs, 200);
  EXPECT_EQ(high.intervals.controlMs, 10000);
  EXPECT_EQ(high.logging.maxLoggingPeriodS, 86399940);
  EXPECT_EQ(high.derived.mgmtStartDelayMs, 3600 * 1000);
  EXPECT_EQ(high.family.k7k8.fidDelayUs, 100);
  EXPECT_EQ(high.family.k7k8.vidDelayUs, 200);
  EXPECT_EQ(high.family.k8.rampVoltageOffsetMv, 75);
  EXPECT_EQ(high.family.k8.tscSyncSource, 1);
  EXPECT_EQ(high.family.k8.vsTimeUs, 5240);
}

TEST(SettingsClamps, ChoicesOutsideTheirRangeKeepTheirDefaults) {
  const Machine machine(Crusoe());
  const AppSettings s = LoadStored(machine, {{"CpuLoadMethod", 6u},
                                             {"DefaultsMode", 3u},
                                             {"SuspendAction", 3u},
                                             {"TransitionsMethod", 2u},
                                             {"LoadIconMode", Word(-1)},
                                             {"TempUnits", 5u},
                                             {"CpuOsLoadSelect", 2u},
                                             {"FreqIconMode", 9u},
                                             {"RememberAdvanced", 1u},
                                             {"Transmeta.ATMModeAC", 7u},
                                             {"Transmeta.ATMModeDC", Word(-2)},
                                             {"Transmeta.MaxBoundDC", 40u},
                                             {"Transmeta.MinBoundAC", 101u}});
  EXPECT_EQ(s.management.cpuLoadMethod, 2);
  EXPECT_EQ(s.management.suspendAction, 0);
  EXPECT_EQ(s.management.transitionsMethod, 1);
  EXPECT_EQ(s.management.cpuOsLoadSelect, 0);
  EXPECT_EQ(s.tray.loadIconMode, 2);
  EXPECT_EQ(s.tray.tempUnits, 0);
  EXPECT_EQ(s.tray.freqIconMode, 0);
  EXPECT_EQ(s.family.transmeta.atmModeAc, 0);
  EXPECT_EQ(s.family.transmeta.atmModeDc, 0);
  EXPECT_EQ(s.family.transmeta.maxBoundDc, 40);
  EXPECT_EQ(s.family.transmeta.maxBoundAc, 100);
  EXPECT_EQ(s.family.transmeta.minBoundAc, 100);

  const Machine k8(AthlonK8RevE());
  EXPECT_EQ(LoadStored(k8, {{"DefaultsMode", 3u}}).management.defaultsMode, 1);
  EXPECT_EQ(LoadStored(k8, {{"DefaultsMode", 0u}}).management.defaultsMode, 0);
  EXPECT_EQ(LoadStored(k8, {{"CpuLoadMethod", 5u}}).management.cpuLoadMethod, 5);
}

TEST(SettingsClamps, AStoredProfileSelectionBeyondTheProfilesBecomesZero) {
  const Machine machine(AthlonK8RevE());
  const AppSettings s = LoadStored(machine, {{"ProfileDC", 7u}, {"ProfileAC", Word(-1)}});
  EXPECT_EQ(s.management.profileDc, 0);
  EXPECT_EQ(s.management.profileAc, 0);
  EXPECT_EQ(s.currentProfileDc, 0);
  EXPECT_EQ(LoadStored(machine, {{"ProfileDC", 3u}}).currentProfileDc, 3);
}

TEST(SettingsClamps, DefaultFidAndVidOutsideTheProcessorsRangeFallBackToTheStartState) {
  const Machine machine(AthlonK8RevE());  // FIDs 8..14, VIDs 18..30, start 12 / 20
  const AppSettings outside = LoadStored(machine, {{"DefaultFid", 40u}, {"DefaultVid", Word(-3)}});
  EXPECT_EQ(outside.management.defaultFid, 12);
  EXPECT_EQ(outside.management.defaultVid, 20);
  // AMD VID codes fall as the voltage rises: 30 is the lowest voltage and in range.
  const AppSettings inside = LoadStored(machine, {{"DefaultFid", 8u}, {"DefaultVid", 30u}});
  EXPECT_EQ(inside.management.defaultFid, 8);
  EXPECT_EQ(inside.management.defaultVid, 30);
}

TEST(SettingsClamps, WhatTheMachineCannotDoIsSwitchedOff) {
  Machine machine(AthlonK8RevE());
  machine.hasTemperatureSensor = false;
  const AppSettings k8 =
      LoadStored(machine, {{"OverheatAlert", 1u}, {"ShowTempInTray", 1u}, {"RunHltOnIdle", 1u}});
  EXPECT_EQ(k8.management.overheatAlert, 0);  // only Intel and VIA report overheating
  EXPECT_EQ(k8.tray.showTempInTray, 0);
  EXPECT_EQ(k8.management.runHltOnIdle, 1);

  const Machine core2(Core2Duo());
  const AppSettings intel = LoadStored(core2, {{"OverheatAlert", 1u}, {"ShowTempInTray", 1u}});
  EXPECT_EQ(intel.management.overheatAlert, 1);
  EXPECT_EQ(intel.tray.showTempInTray, 1);

  // Forced off also when nothing is stored.
  platform::MemoryRegistry empty;
  EXPECT_EQ(LoadFresh(machine, empty).management.overheatAlert, 0);
}

TEST(SettingsClamps, ValuesAreNormalisedAsTheirMeaningAsks) {
  const Machine machine(Core2Duo());
  const AppSettings s = LoadStored(machine, {{"ShowInfoBalloons", 5u},
                                             {"AutoRun", Word(-1)},
                                             {"IntelPMP4.EIST", 2u},
                                             {"Colors.GraphGrid", 0xFF123456u},
                                             {"WindowLeft", Word(-40)},
                                             {"WindowTop", 300u},
                                             {"ActivePage", Word(-2)},
                                             {"IntelPMP4.FidVidDelay", 900u},
                                             {"AMDK7K8.VidDelay", 50u}});
  EXPECT_EQ(s.tray.showInfoBalloons, 1);
  EXPECT_EQ(s.window.autoRun, 1);
  EXPECT_EQ(s.family.intel.eist, 1);
  EXPECT_EQ(s.colors.graphGrid, 0x123456u);
  EXPECT_EQ(s.window.left, 0);
  EXPECT_EQ(s.window.top, 300);
  EXPECT_EQ(s.window.activePage, 0);
  // Intel reads its settling time under its own name only.
  EXPECT_EQ(s.family.k7k8.vidDelayUs, 200);
}

TEST(SettingsClamps, DefaultsFollowProcessorZero) {
  CpuInfo cpu = Core2Duo();
  SettingsMachine machine{cpu};
  machine.eistEnabled = true;
  const AppSettings intel(machine);
  EXPECT_EQ(intel.management.cpuOsLoadSelect, 1);
  EXPECT_EQ(intel.family.intel.eist, 1);
  EXPECT_EQ(intel.management.defaultFid, 9);
  EXPECT_EQ(intel.management.defaultVid, 40);
  EXPECT_EQ(intel.family.k7k8.vidDelayUs, 0);

  const CpuInfo k7 = AthlonXpK7();
  const AppSettings amd(SettingsMachine{k7});
  EXPECT_EQ(amd.management.cpuOsLoadSelect, 0);
  EXPECT_EQ(amd.family.k7k8.stopGrantTimeoutCount, 10000);
  EXPECT_EQ(amd.family.k7k8.fidDelayUs, 80);
  EXPECT_EQ(amd.family.k7k8.vidDelayUs, 100);
}

TEST(SettingsClamps, DepthsFollowTheIntervals) {
  const Machine machine(AthlonK8RevE());
  const AppSettings s = LoadStored(machine, {{"LoadAverage", 1000u},
                                             {"ControlInterval", 20u},
                                             {"CpuTempAverage", 1500u},
                                             {"RefreshInterval", 1000u}});
  EXPECT_EQ(s.derived.loadDepth, 50);
  EXPECT_EQ(s.derived.temperatureDepth, 2);  // 1.5 rounds up
  const AppSettings capped = LoadStored(machine, {{"LoadAverage", 50u},
                                                  {"ControlInterval", 10000u},
                                                  {"CpuTempAverage", 10000u},
                                                  {"RefreshInterval", 200u}});
  EXPECT_EQ(capped.derived.loadDepth, 1);
  EXPECT_EQ(capped.derived.temperatureDepth, 50);
}

}  // namespace
}  // namespace pacetta::settings_test
