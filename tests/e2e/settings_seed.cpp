#include "tests/e2e/settings_seed.h"

#include <cstdio>
#include <stdexcept>

#include "app/settings/app_settings.h"
#include "app/settings/fixed_profile_names.h"
#include "app/startup/startup.h"
#include "app/strings/string_table.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/current_state.h"
#include "engine/profiles/pstate_table.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/runtime_paths.h"
#include "testing/engine_setup.h"

namespace pacetta::testing {
namespace {

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

SeededMachine SeedSettings(const std::string& configHome, const SeedValues& values) {
  // The simulated PC picks its settings file from $XDG_CONFIG_HOME and the machine's name,
  // exactly as the program will.
  ScopedEnv config("XDG_CONFIG_HOME", configHome);
  IdentifiedMachine machine({.machine = values.machine, .settings = SettingsFile::kProgramsOwn});
  const CpuInfo& cpu0 = machine.Records().front();
  platform::Registry& registry = machine.View().registry;

  const StringTable strings;
  const auto names = FixedProfileNames(strings);
  const SettingsMachine about{cpu0};
  AppSettings settings(about);
  settings.Load(registry, about, names);

  settings.profiles.ApplyTable(BuildTableFromProcessor(cpu0), cpu0, true);
  if (settings.profiles.Table().lastIndex < 1) {
    throw std::runtime_error("the machine offers fewer than two performance states");
  }
  FillFixedProfiles(settings.profiles, cpu0, values.intervalMs);
  settings.management.profileAc = values.profileAc;
  settings.management.profileDc = values.profileDc;
  settings.management.defaultsOnExit = values.defaultsOnExit;
  settings.management.suspendAction = values.suspendAction;
  settings.logging.enableLogging = values.enableLogging;
  settings.logging.loggingFlags = values.loggingFlags;
  settings.tray.showInfoBalloons = values.showInfoBalloons;
  settings.window.runMinimized = values.runMinimized;
  if (!settings.Save(registry, {cpu0, true})) throw std::runtime_error("the settings save failed");

  // The program reads these but never writes them: they go in by hand.
  auto key = registry.OpenUserKey(kSettingsKeyPath, true);
  const bool written =
      key && key->WriteDword("RefreshInterval", static_cast<uint32_t>(values.refreshMs)) &&
      key->WriteDword("ControlInterval", static_cast<uint32_t>(values.controlMs)) &&
      key->WriteDword("MgmtStartDelay", static_cast<uint32_t>(values.mgmtStartDelayS)) &&
      key->Flush();
  if (!written) throw std::runtime_error("the read-only values could not be written");

  SeededMachine seeded;
  seeded.settingsPath = linux_os::FileRegistry::DefaultPath(
      "simulated/" + linux_os::FileNameOf(machine.Pc().Machine().name) + ".json");
  const PStateTable& table = settings.profiles.Table();
  for (int32_t row = 0; row <= table.lastIndex; ++row) {
    seeded.fids.push_back(table.Row(row)->fid);
    seeded.multipliers.push_back(
        Format("%.1fx", MultiplierOf(cpu0, static_cast<int32_t>(table.Row(row)->fid))));
  }
  seeded.startMultiplier = Format("%.1fx", MultiplierOf(cpu0, cpu0.startFid));
  seeded.startLogFid = Format("FID: %4.1f", MultiplierOf(cpu0, cpu0.startFid));
  seeded.slowestLogFid =
      Format("FID: %4.1f", MultiplierOf(cpu0, static_cast<int32_t>(table.Row(0)->fid)));
  seeded.fastestLogFid = Format(
      "FID: %4.1f", MultiplierOf(cpu0, static_cast<int32_t>(table.Row(table.lastIndex)->fid)));
  return seeded;
}

std::optional<uint32_t> StoredWord(const std::string& settingsPath, const std::string& name) {
  linux_os::FileRegistry registry(settingsPath);
  auto key = registry.OpenUserKey(kSettingsKeyPath, false);
  return key ? key->ReadDword(name) : std::nullopt;
}

std::optional<std::vector<uint8_t>> StoredBytes(const std::string& settingsPath,
                                                const std::string& name) {
  linux_os::FileRegistry registry(settingsPath);
  auto key = registry.OpenUserKey(kSettingsKeyPath, false);
  return key ? key->ReadBinary(name) : std::nullopt;
}

}  // namespace pacetta::testing
