#include "app/settings/settings_validity.h"

#include "app/settings/cpuid_stamp.h"

namespace pacetta {
namespace {

constexpr uint32_t kOldestKnownVersion = 0x02000000;

}  // namespace

uint32_t MinimumVersion(SettingsGroup group) {
  switch (group) {
    case SettingsGroup::kGeneral:
      return kOldestKnownVersion;
    case SettingsGroup::kProfileSelection:
      return 0x02010000;
    case SettingsGroup::kProfiles:
    case SettingsGroup::kK8Method:
      return 0x02020500;
    case SettingsGroup::kProfileExtensions:
      return 0x02030000;
    case SettingsGroup::kPStateTable:
    case SettingsGroup::kDefaultsOnExit:
      return 0x02030500;
  }
  return UINT32_MAX;
}

bool SettingsValidity::Allows(SettingsGroup group) const {
  if (!versionKnown) return false;
  if (group == SettingsGroup::kGeneral) return true;
  return processorMatches && *version >= MinimumVersion(group);
}

SettingsValidity ReadValidity(platform::RegistryKey& key, const CpuInfo& cpu,
                              int32_t& skipCpuidCheck) {
  SettingsValidity validity;
  validity.version = key.ReadDword("ProgramVersion");
  // A key written by a newer version may hold values this one would misread.
  validity.versionKnown = validity.version && *validity.version >= kOldestKnownVersion &&
                          *validity.version <= kProgramVersion;
  if (auto skip = key.ReadDword("SkipCPUIDCheck")) skipCpuidCheck = *skip != 0 ? 1 : 0;
  if (skipCpuidCheck) {
    validity.processorMatches = true;
  } else {
    const auto stamp = key.ReadBinary("CPUID");
    validity.processorMatches = stamp && CpuidStampMatches(*stamp, cpu);
  }
  return validity;
}

}  // namespace pacetta
