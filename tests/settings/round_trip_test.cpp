#include <gtest/gtest.h>

#include <set>

#include "tests/settings/settings_test_support.h"

namespace pacetta::settings_test {
namespace {

// Saves every value changed from its default on `machine`, loads them into fresh
// settings and returns both.
std::pair<AppSettings, AppSettings> SaveChangedAndReload(const Machine& machine) {
  platform::MemoryRegistry registry;
  AppSettings saved = LoadFresh(machine, registry);
  ChangeEveryValue(saved, machine.processor);
  SaveAll(saved, machine, registry);
  return {std::move(saved), LoadFresh(machine, registry)};
}

void ExpectGeneralValuesEqual(const AppSettings& saved, const AppSettings& loaded) {
  EXPECT_EQ(loaded.intervals, saved.intervals);
  EXPECT_EQ(loaded.management, saved.management);
  EXPECT_EQ(loaded.logging, saved.logging);
  EXPECT_EQ(loaded.tray, saved.tray);
  EXPECT_EQ(loaded.battery, saved.battery);
  EXPECT_EQ(loaded.window, saved.window);
  EXPECT_EQ(loaded.colors, saved.colors);
  EXPECT_EQ(loaded.rememberAdvanced, 1);
  EXPECT_EQ(loaded.currentProfileAc, 3);
  EXPECT_EQ(loaded.currentProfileDc, 1);
}

TEST(SettingsRoundTrip, EveryValueOfAnAthlon64ComesBack) {
  const Machine machine(AthlonK8RevE());
  const auto [saved, loaded] = SaveChangedAndReload(machine);
  ExpectGeneralValuesEqual(saved, loaded);
  EXPECT_EQ(loaded.family.k7k8, saved.family.k7k8);
  EXPECT_EQ(loaded.family.k8, saved.family.k8);
  EXPECT_EQ(loaded.TransitionSettings().k8PstMethod, 0x18u);
}

TEST(SettingsRoundTrip, EveryValueOfAnAthlonXpComesBack) {
  const Machine machine(AthlonXpK7());
  const auto [saved, loaded] = SaveChangedAndReload(machine);
  ExpectGeneralValuesEqual(saved, loaded);
  EXPECT_EQ(loaded.family.k7k8, saved.family.k7k8);
  EXPECT_EQ(loaded.family.k7, saved.family.k7);
}

TEST(SettingsRoundTrip, EveryValueOfACore2ComesBack) {
  const Machine machine(Core2Duo());
  const auto [saved, loaded] = SaveChangedAndReload(machine);
  ExpectGeneralValuesEqual(saved, loaded);
  EXPECT_EQ(loaded.family.intel, saved.family.intel);
  EXPECT_EQ(loaded.family.centrino, saved.family.centrino);
  // Intel keeps its settling time in the VID delay; the AMD-only values stay unused.
  EXPECT_EQ(loaded.family.k7k8.vidDelayUs, 60);
  EXPECT_EQ(loaded.family.k7k8.stopGrantTimeoutCount, 1);
  EXPECT_EQ(loaded.family.k7k8.fidDelayUs, 0);
}

TEST(SettingsRoundTrip, EveryValueOfATransmetaComesBack) {
  const Machine machine(Crusoe());
  const auto [saved, loaded] = SaveChangedAndReload(machine);
  ExpectGeneralValuesEqual(saved, loaded);
  EXPECT_EQ(loaded.family.transmeta, saved.family.transmeta);
}

TEST(SettingsRoundTrip, AdvancedValuesAreNeitherWrittenNorReadWithoutRememberAdvanced) {
  const Machine machine(AthlonK8RevE());
  platform::MemoryRegistry registry;
  AppSettings saved = LoadFresh(machine, registry);
  ChangeEveryValue(saved, machine.processor);
  saved.rememberAdvanced = 0;
  SaveAll(saved, machine, registry);
  const auto stored = Stored(registry);
  EXPECT_FALSE(stored.contains("AMDK8.PMM0"));
  EXPECT_TRUE(stored.contains("AMDK8.RampVoltageOffset"));

  // Stored by an earlier run with the box ticked, then switched off: not applied.
  auto values = stored;
  values["AMDK8.PMM0"] = 0x1234u;
  auto again = RegistryWith(values);
  EXPECT_EQ(LoadFresh(machine, again).family.k8.pmm0, 0);
  values["RememberAdvanced"] = 1u;
  auto remembered = RegistryWith(values);
  EXPECT_EQ(LoadFresh(machine, remembered).family.k8.pmm0, 0x1234);
}

// The names are the file format: a misspelt one loses the user's setting silently.
TEST(SettingsRoundTrip, TheSaveWritesTheKnownNamesOnly) {
  const Machine machine(Core2Duo());
  platform::MemoryRegistry registry;
  AppSettings settings = LoadFresh(machine, registry);
  settings.rememberAdvanced = 1;
  SaveAll(settings, machine, registry);
  std::set<std::string> written;
  for (const auto& [name, value] : Stored(registry)) written.insert(name);

  const std::set<std::string> expected = {"ProgramVersion",
                                          "CPUID",
                                          "ManageOsPowerSettings",
                                          "CpuLoadMethod",
                                          "CpuOsLoadSelect",
                                          "TransitionsMethod",
                                          "RunHltOnIdle",
                                          "OverheatAlert",
                                          "HideWindowsPowerIcon",
                                          "BatteryDevNotifyEnable",
                                          "BatteryPollEnable",
                                          "BatteryPollInterval",
                                          "BatteryEstimationAverage",
                                          "BatteryChargeRateForceEstimate",
                                          "BatteryLifeTimeForceEstimate",
                                          "ShowInfoBalloons",
                                          "ShowCriticalBalloons",
                                          "ShowPerfLevel",
                                          "ShowFreqInTray",
                                          "FreqIconMode",
                                          "FreqIconUnits",
                                          "ShowLoadInTray",
                                          "LoadIconMode",
                                          "LoadIconType",
                                          "ShowTempInTray",
                                          "TempUnits",
                                          "ShowBatteryInTrayDischarging",
                                          "ShowBatteryInTrayCharging",
                                          "ShowBatteryInTrayOnAC",
                                          "BatteryIconModeCharging",
                                          "BatteryIconModeDischarging",
                                          "LeftClickMenu",
                                          "ResourceLocaleId",
                                          "HideMonitoring",
                                          "AlwaysOnTop",
                                          "TaskbarButton",
                                          "AutoRun",
                                          "RunMinimized",
                                          "WindowCollapsed",
                                          "EnableLogging",
                                          "LoggingFlags",
                                          "MaxLoggingPeriod",
                                          "Colors.GraphBackground",
                                          "Colors.GraphGrid",
                                          "Colors.FrequencyGraph",
                                          "Colors.ThrottleGraph",
                                          "Colors.CPULoadGraph",
                                          "Colors.OSLoadGraph",
                                          "Colors.FIDGraph",
                                          "Colors.VIDGraph",
                                          "Colors.TemperatureGraph",
                                          "Colors.FrequencyIconText",
                                          "Colors.TemperatureIconText",
                                          "Colors.BatteryIconText",
                                          "WindowLeft",
                                          "WindowTop",
                                          "ActivePage",
                                          "AutoAdjustVid",
                                          "PStatesData",
                                          "ProfileData",
                                          "ProfileExtData",
                                          "ProfileAC",
                                          "ProfileDC",
                                          "SuspendAction",
                                          "DefaultsOnExit",
                                          "DefaultsOnDisable",
                                          "DefaultsMode",
                                          "DefaultFid",
                                          "DefaultVid",
                                          "RememberAdvanced",
                                          "IntelPMP4.EIST",
                                          "IntelPMP4.FidVidDelay",
                                          "IntelPMP4.TM",
                                          "IntelPMP4.TM2Fid",
                                          "IntelPMP4.TM2Vid",
                                          "IntelPMP4.CStateEnh",
                                          "IntelCore2.IDA",
                                          "IntelCore2.DFFS",
                                          "IntelCentrino.C4onC3",
                                          "IntelCentrino.CPUSLPinC3",
                                          "IntelCentrino.CPUSLPinS1",
                                          "IntelCentrino.C4inS1M",
                                          "IntelCentrino.Popdown",
                                          "IntelCentrino.Popup",
                                          "IntelCentrino.C4Disable",
                                          "IntelCentrino.C5Enable",
                                          "IntelCentrino.SlowC4ExitEnable",
                                          "IntelCentrino.CPUPLLLockTime",
                                          "IntelCentrino.CPUSLPtoSTPCLK",
                                          "IntelCentrino.DPSLPtoCPUSLP",
                                          "IntelCentrino.DPRSLPVRtoSTPCPU",
                                          "IntelCentrino.SlowC4ExitDelay",
                                          "IntelCentrino.ThermalThrottle",
                                          "IntelCentrino.NormalThrottle",
                                          "IntelCentrino.ThrottleLock",
                                          "IntelCore2.CpuType"};
  EXPECT_EQ(written, expected);
}

TEST(SettingsRoundTrip, WithoutControlTheManagementBlockKeepsWhatWasStored) {
  const Machine machine(Pentium4());
  auto values = StampedValues(machine.processor);
  values["SuspendAction"] = 2u;
  values["ProfileData"] = std::vector<uint8_t>{1, 2, 3};
  auto registry = RegistryWith(values);
  AppSettings settings = LoadFresh(machine, registry);
  settings.management.suspendAction = 1;
  settings.tray.tempUnits = 1;
  settings.Save(registry, SettingsSaveContext{machine.processor, false});
  const auto stored = Stored(registry);
  EXPECT_EQ(std::get<uint32_t>(stored.at("SuspendAction")), 2u);
  EXPECT_EQ(std::get<std::vector<uint8_t>>(stored.at("ProfileData")),
            (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(stored.contains("PStatesData"));
  EXPECT_FALSE(stored.contains("DefaultFid"));
  EXPECT_EQ(std::get<uint32_t>(stored.at("TempUnits")), 1u);
}

TEST(SettingsRoundTrip, HandSetIntervalsSurviveTheSave) {
  const Machine machine(AthlonK8RevE());
  auto values = StampedValues(machine.processor);
  values["RefreshInterval"] = 500u;
  values["NoRealtimePriority"] = 1u;
  values["SkipCPUIDCheck"] = 1u;
  auto registry = RegistryWith(values);
  AppSettings settings = LoadFresh(machine, registry);
  SaveAll(settings, machine, registry);
  const auto stored = Stored(registry);
  EXPECT_EQ(std::get<uint32_t>(stored.at("RefreshInterval")), 500u);
  EXPECT_EQ(std::get<uint32_t>(stored.at("NoRealtimePriority")), 1u);
  EXPECT_EQ(std::get<uint32_t>(stored.at("SkipCPUIDCheck")), 1u);
  EXPECT_FALSE(stored.contains("ControlInterval"));
}

TEST(SettingsRoundTrip, TheStoredSelectionIsSavedNotTheOneInUse) {
  const Machine machine(AthlonK8RevE());
  auto values = StampedValues(machine.processor);
  values["ProfileAC"] = 2u;
  auto registry = RegistryWith(values);
  AppSettings settings = LoadFresh(machine, registry);
  EXPECT_EQ(settings.currentProfileAc, 2);
  settings.currentProfileAc = 3;  // chosen from the tray during the run
  SaveAll(settings, machine, registry);
  EXPECT_EQ(LoadFresh(machine, registry).currentProfileAc, 2);
}

// Deleting a custom profile moves the stored selection with the profiles: the next start
// selects the same profiles, and the deleted one's slot falls back to profile 0.
TEST(SettingsRoundTrip, TheStoredSelectionFollowsADeletedProfile) {
  Machine machine(AthlonK8RevE());
  machine.proFeaturesLoaded = true;
  platform::MemoryRegistry registry;
  AppSettings settings = LoadFresh(machine, registry);
  const auto first = settings.profiles.Add("Quiet");
  const auto second = settings.profiles.Add("Compile");
  ASSERT_TRUE(first && second);
  settings.management.profileAc = *second;
  settings.management.profileDc = *first;

  ASSERT_TRUE(settings.profiles.Delete(*first));
  settings.ForgetDeletedProfile(*first);
  SaveAll(settings, machine, registry);

  const AppSettings loaded = LoadFresh(machine, registry);
  ASSERT_EQ(loaded.profiles.Count(), kFixedProfileCount + 1);
  EXPECT_EQ(NameOf(*loaded.profiles.At(loaded.management.profileAc)), "Compile");
  EXPECT_EQ(loaded.management.profileDc, 0);
}

}  // namespace
}  // namespace pacetta::settings_test
