#include "tests/e2e/settings_seed.h"

#include <cstdio>
#include <stdexcept>

#include "app/settings/app_settings.h"
#include "app/settings/fixed_profile_names.h"
#include "app/startup/startup.h"
#include "app/strings/string_table.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/sensor_completion.h"
#include "engine/profiles/pstate_table.h"
#include "hw/pinning.h"
#include "hw/topology.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/runtime_paths.h"

namespace pacetta::testing {
namespace {

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Profiles 1 and 2 hold one row each, 3 runs on demand over every row.
void FillManagedProfiles(ProfileStore& store, const CpuInfo& cpu, int32_t intervalMs) {
  const int32_t last = store.Table().lastIndex;
  for (int32_t index : {kPowerSavingProfile, kMaximalPerformanceProfile, kOnDemandProfile}) {
    for (ProfileHalf* half : {&store.At(index)->ac, &store.At(index)->dc}) {
      half->useFidVid = 1;
      half->upIntervalMs = intervalMs;
      half->downIntervalMs = intervalMs;
      if (index == kOnDemandProfile) {
        half->lastState = last;
        for (int32_t row = 0; row <= last; ++row) half->states[static_cast<size_t>(row)] = row;
      } else {
        half->lastState = 0;
        half->states[0] = index == kPowerSavingProfile ? 0 : last;
      }
    }
    store.Derive(index, cpu);
  }
}

}  // namespace

IdentifiedMachine::IdentifiedMachine(const std::string& machine, const std::string& settingsPath) {
  sim::SimulationOptions options;
  options.machine = machine;
  options.stateFolder = stateFolder_.File("state");
  options.settingsPath = settingsPath;
  std::string error;
  pc_ = sim::SimulatedPc::Create(options, error);
  if (!pc_) throw std::runtime_error("simulated PC: " + error);
  platform::Platform& view = pc_->View();
  driver_ = std::make_unique<CPortexDriver>(view);
  if (driver_->Open(0) != 0) throw std::runtime_error("the simulated driver did not open");
  entryPoints_.Resolve(view.entryPoints, view.system);
  northbridge_ = std::make_unique<CK8Northbridge>(*driver_);
  sensors_ = std::make_unique<SensorHardware>(
      SensorHardware{*driver_, view.cpu, entryPoints_, northbridge_.get()});

  // As start-up builds the records: topology, then identification completed with the
  // readings, limits and candidate states.
  records_.resize(UsableProcessorCount(view.processors));
  AssignTopology(view, records_);
  PStateHardware pstates{*driver_, view.processors, {}};
  ReadingsCompletion completion(pstates, *sensors_);
  IdentifyContext identify{view.processors, view.cpu, *driver_, &completion};
  for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);
  UnpinThread(view.processors);
  if (records_.empty()) throw std::runtime_error("the simulated machine has no processor");
}

IdentifiedMachine::~IdentifiedMachine() {
  records_.clear();
  sensors_.reset();
  northbridge_.reset();
  driver_.reset();  // the last user: the service goes with it
}

SeededMachine SeedSettings(const std::string& configHome, const SeedValues& values) {
  // The simulated PC picks its settings file from $XDG_CONFIG_HOME and the machine's name,
  // exactly as the program will.
  ScopedEnv config("XDG_CONFIG_HOME", configHome);
  IdentifiedMachine machine(values.machine);
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
  FillManagedProfiles(settings.profiles, cpu0, values.intervalMs);
  settings.management.profileAc = values.profileAc;
  settings.management.profileDc = values.profileDc;
  settings.management.defaultsOnExit = values.defaultsOnExit;
  settings.management.suspendAction = values.suspendAction;
  settings.logging.enableLogging = values.enableLogging;
  settings.logging.loggingFlags = values.loggingFlags;
  settings.tray.showInfoBalloons = values.showInfoBalloons;
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
