#pragma once
#include <array>
#include <string>
#include <vector>

#include "app/settings/app_settings.h"
#include "platform/memory_registry.h"

namespace pacetta::settings_test {

inline constexpr const char* kKey = "Software\\Norvane\\Pacetta";

// Processor records as identification leaves them, enough for the settings: family
// flags, a few identification leaves and the performance-state limits.
CpuInfo AthlonK8RevE();  // K8 with FID/VID control, FIDs 8..14, VIDs 18 (high) .. 30 (low)
CpuInfo AthlonXpK7();
CpuInfo Core2Duo();  // FIDs 6..9, VIDs 20..40
CpuInfo Pentium4();
CpuInfo Crusoe();
CpuInfo ViaC7();
// The same K8 with another stepping: its identification leaves differ.
CpuInfo OtherAthlonK8();

struct Machine {
  explicit Machine(CpuInfo cpu) : processor(std::move(cpu)) {}
  CpuInfo processor;
  bool hasTemperatureSensor = true;
  bool proFeaturesLoaded = false;
  SettingsMachine View() const {
    SettingsMachine machine{processor};
    machine.hasTemperatureSensor = hasTemperatureSensor;
    machine.proFeaturesLoaded = proFeaturesLoaded;
    return machine;
  }
};

const std::array<std::string, 4>& Names();

// Loads fresh settings for `machine` from `registry`.
AppSettings LoadFresh(const Machine& machine, platform::Registry& registry,
                      SettingsLoadReport* report = nullptr);
// Saves `settings` with management allowed.
void SaveAll(AppSettings& settings, const Machine& machine, platform::Registry& registry);

// A key written by this version on `cpu`, holding `values` besides the stamps.
platform::RegistryValues StampedValues(const CpuInfo& cpu, uint32_t version = kProgramVersion);
platform::MemoryRegistry RegistryWith(platform::RegistryValues values);
// The values of the program's key in `registry` now.
platform::RegistryValues Stored(const platform::MemoryRegistry& registry);

// Every value `settings` holds that is read and written, changed away from its default
// to another valid value (as a user would change them on the pages).
void ChangeEveryValue(AppSettings& settings, const CpuInfo& cpu);

}  // namespace pacetta::settings_test
