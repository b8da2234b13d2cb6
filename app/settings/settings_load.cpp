#include <algorithm>
#include <cmath>

#include "app/lifecycle/control_abilities.h"
#include "app/settings/app_settings.h"
#include "app/settings/registry_values.h"
#include "app/settings/settings_validity.h"
#include "app/startup/startup.h"
#include "engine/profiles/fresh_profiles.h"

namespace pacetta {
namespace {

// A stored default FID or VID outside the processor's range would be written to the
// processor on exit; the state found at start-up is always safe.
int32_t WithinLimits(int32_t stored, int32_t limitA, int32_t limitB, int32_t fallback) {
  const auto [lowest, highest] = std::minmax(limitA, limitB);
  return stored >= lowest && stored <= highest ? stored : fallback;
}

int32_t Depth(int32_t averageMs, int32_t periodMs) {
  if (periodMs <= 0) return 1;
  const auto samples = std::lround(static_cast<double>(averageMs) / periodMs);
  return static_cast<int32_t>(std::clamp<long>(samples, 1, 63));
}

std::optional<std::vector<uint8_t>> ReadGroupBytes(platform::RegistryKey* key,
                                                   const SettingsValidity& validity,
                                                   SettingsGroup group, const char* name) {
  if (!key || !validity.Allows(group)) return std::nullopt;
  return key->ReadBinary(name);
}

}  // namespace

SettingsLoadReport AppSettings::Load(platform::Registry& registry, const SettingsMachine& machine,
                                     std::span<const std::string> fixedProfileNames) {
  // Taken first: a damaged file was already set aside when the registry was opened.
  std::optional<std::string> damage = registry.DamageNotice();
  const auto key = registry.OpenUserKey(kSettingsKeyPath, false);
  SettingsLoadReport report = LoadFrom(key.get(), machine, fixedProfileNames);
  report.damageNotice = std::move(damage);
  return report;
}

SettingsLoadReport AppSettings::LoadFrom(platform::RegistryKey* key, const SettingsMachine& machine,
                                         std::span<const std::string> fixedProfileNames) {
  const CpuInfo& cpu = machine.processor0;
  SettingsLoadReport report;
  SettingsValidity validity;
  if (key) {
    report.keyFound = true;
    validity = ReadValidity(*key, cpu, skipCpuidCheck);
  }
  report.versionKnown = validity.versionKnown;
  report.processorMatches = validity.versionKnown && validity.processorMatches;

  // The order matters: the profiles depend on the K8 method, the selection on the number
  // of profiles.
  std::optional<RegistryValueReader> reader;
  if (key && validity.versionKnown) reader.emplace(*key, validity);
  if (reader) {
    SettingsVisitor& v = *reader;
    v.Boolean("ManageOsPowerSettings", management.manageOsPowerSettings);
    VisitK8Values(v, *this, cpu);
    VisitIntelBasics(v, *this, cpu);
    v.Boolean("RememberAdvanced", rememberAdvanced);
    if (rememberAdvanced) VisitAdvancedValues(v, *this, cpu);
    v.Boolean("AutoAdjustVid", management.autoAdjustVid);
  }

  if (cpu.isK8 && machine.k8MethodLoaded) {
    machine.k8MethodLoaded(static_cast<uint32_t>(family.k8.pstMethod));
  }

  StoredProfileData stored;
  stored.pstatesData = ReadGroupBytes(key, validity, SettingsGroup::kPStateTable, "PStatesData");
  stored.profileData = ReadGroupBytes(key, validity, SettingsGroup::kProfiles, "ProfileData");
  stored.profileExtData =
      ReadGroupBytes(key, validity, SettingsGroup::kProfileExtensions, "ProfileExtData");
  const int32_t room = machine.proFeaturesLoaded ? kMaxProfiles : kFixedProfileCount;
  report.profiles = profiles.Load(stored, cpu, room);
  profiles.SetFixedNames(fixedProfileNames);
  // No profile stored (a fresh install): the fixed profiles start from their defaults, so
  // that "Power saving" and the others manage at once.
  if (machine.defaultList != nullptr && report.profiles.profilesRead == 0) {
    const ControlAbilities abilities = AbilitiesOf(cpu, family.intel.eist != 0);
    ApplyFreshInstallDefaults(profiles, cpu, *machine.defaultList, report.profiles.tableRead,
                              abilities.performanceStates, abilities.clockModulation);
  }

  if (reader && validity.Allows(SettingsGroup::kProfileSelection)) {
    SettingsVisitor& v = *reader;
    v.Plain("ProfileAC", management.profileAc);
    v.Plain("ProfileDC", management.profileDc);
  }
  const ProfileSelection selection =
      ClampSelection({management.profileAc, management.profileDc}, profiles.Count());
  management.profileAc = selection.ac;
  management.profileDc = selection.dc;

  if (reader) {
    SettingsVisitor& v = *reader;
    VisitSuspendAndDefaults(v, *this);
    VisitGeneralValues(v, *this);
    VisitColors(v, colors);
    VisitWindowPlace(v, window);
  }

  // What the machine cannot do is switched off whatever was stored.
  management.defaultFid = WithinLimits(management.defaultFid, cpu.minFid, cpu.maxFid, cpu.startFid);
  management.defaultVid = WithinLimits(management.defaultVid, cpu.minVid, cpu.maxVid, cpu.startVid);
  if (machine.runsUnderEmulation) management.runHltOnIdle = 0;
  if (!cpu.isIntelPState && !cpu.isViaC7) management.overheatAlert = 0;
  if (!machine.hasTemperatureSensor) tray.showTempInTray = 0;

  derived.loadDepth = Depth(intervals.loadAverageMs, intervals.controlMs);
  derived.temperatureDepth = Depth(intervals.cpuTempAverageMs, intervals.refreshMs);
  derived.mgmtStartDelayMs = intervals.mgmtStartDelayS * 1000;
  derived.k8PstMethodAtLoad = family.k8.pstMethod;
  currentProfileAc = management.profileAc;
  currentProfileDc = management.profileDc;
  return report;
}

}  // namespace pacetta
