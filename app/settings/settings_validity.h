#pragma once
#include <cstdint>
#include <optional>

#include "app/settings/settings_visitor.h"
#include "platform/registry.h"

namespace pacetta {

// How far the stored settings may be trusted, from the version stamp "ProgramVersion"
// and the processor stamp "CPUID".
struct SettingsValidity {
  std::optional<uint32_t> version;  // as stored
  bool versionKnown = false;        // written by 2.0.0.0 up to this version
  bool processorMatches = false;    // the stamp matches, or "SkipCPUIDCheck" is set

  bool Allows(SettingsGroup group) const;
};

// The oldest version that stored `group` in its present form.
uint32_t MinimumVersion(SettingsGroup group);

// Reads both stamps from `key`; `skipCpuidCheck` receives "SkipCPUIDCheck" when stored.
SettingsValidity ReadValidity(platform::RegistryKey& key, const CpuInfo& cpu,
                              int32_t& skipCpuidCheck);

}  // namespace pacetta
