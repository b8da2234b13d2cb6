// The settings file as the Linux backend reads it at start, and every value the program
// loads from it: the general settings, the performance-state table and profiles, the
// events module's lists, the update settings and the hardware switches.
#include <cstdio>
#include <string>

#include "app/addins/pro_features_store.h"
#include "app/settings/app_settings.h"
#include "app/startup/startup.h"
#include "app/updates/update_settings.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/profile_checks.h"
#include "fuzz/sample_processors.h"
#include "fuzz/settings_ranges.h"
#include "hw/hardware_switches.h"
#include "platform/linux/file_registry.h"
#include "platform/memory_registry.h"

namespace pacetta::fuzz {
namespace {

const std::string kFixedNames[kFixedProfileCount] = {"No management", "Power saving",
                                                     "Maximal performance", "On demand"};

// A flush writes the file anew; the next start must read back exactly what was held.
void CheckRewriteReadsBack(linux_os::FileRegistry& registry) {
  {
    const auto key = registry.OpenUserKey("Software\\FuzzCheck", true);
    FUZZ_CHECK(key != nullptr);
    FUZZ_CHECK(key->WriteDword("Written", 1));
    FUZZ_CHECK(key->Flush());
  }
  linux_os::FileRegistry reread(registry.Path());
  FUZZ_CHECK(!reread.DamageNotice());
  FUZZ_CHECK(reread.Snapshot() == registry.Snapshot());
}

void CheckSettings(platform::Registry& registry, const CpuInfo& cpu) {
  const SettingsMachine machine{cpu, true, false, false, true};
  AppSettings settings(machine);
  settings.Load(registry, machine, kFixedNames);
  CheckSettingsRanges(settings, cpu);
  CheckProfileStore(settings.profiles);
  FUZZ_CHECK(settings.derived.loadDepth >= 1 && settings.derived.loadDepth <= 63);
  FUZZ_CHECK(settings.derived.temperatureDepth >= 1 && settings.derived.temperatureDepth <= 63);
  const int32_t count = settings.profiles.Count();
  FUZZ_CHECK(settings.currentProfileAc >= 0 && settings.currentProfileAc < count);
  FUZZ_CHECK(settings.currentProfileDc >= 0 && settings.currentProfileDc < count);

  // What the exit saves, the next start loads as it was.
  platform::MemoryRegistry saved;
  FUZZ_CHECK(settings.Save(saved, {cpu, true}));
  AppSettings reloaded(machine);
  const SettingsLoadReport report = reloaded.Load(saved, machine, kFixedNames);
  FUZZ_CHECK(report.versionKnown && report.processorMatches);
  CheckSameSave(settings.profiles, reloaded.profiles);
}

void CheckUpdateSettings(platform::Registry& registry) {
  const UpdateSettings settings = LoadUpdateSettings(registry);
  FUZZ_CHECK(settings.autoCheck == 0 || settings.autoCheck == 1);
  FUZZ_CHECK(settings.method == kUpdateMethodDownload || settings.method == kUpdateMethodNotify);
  FUZZ_CHECK(settings.interval >= kMinCheckIntervalDays &&
             settings.interval <= kMaxCheckIntervalDays);
  FUZZ_CHECK(settings.lastStatus >= 0 && settings.lastStatus <= kLastUpdateState);
  FUZZ_CHECK(settings.lastError.size() <= 1023 && settings.lastDescription.size() <= 4095);
  FUZZ_CHECK(settings.lastRemoteFile.size() <= 259 && settings.lastLocalFile.size() <= 259);
}

void CheckProFeatures(platform::Registry& registry) {
  const StoredProFeatures lists = ReadProFeatures(registry);
  FUZZ_CHECK(lists.eventCount >= 0 && lists.eventCount <= addins::kMaxEvents);
  FUZZ_CHECK(lists.actionCount >= 0 && lists.actionCount <= addins::kMaxActions);
  for (int32_t i = 0; i < lists.actionCount; ++i) {
    const addins::ActionRecord& action = lists.actions[static_cast<size_t>(i)];
    FUZZ_CHECK(action.eventIndex >= -1 && action.eventIndex < lists.eventCount);
  }
}

void CheckHardwareSwitches(platform::Registry& registry) {
  const auto key = registry.OpenUserKey(kSettingsKeyPath, false);
  if (!key) return;
  const HardwareSwitches switches = ReadHardwareSwitches(*key);
  FUZZ_CHECK(switches.intelCore2CpuType >= -1 && switches.intelCore2CpuType <= 1);
  FUZZ_CHECK(ReadTempOffsets(*key).size() <= kMaxProcessors);
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  const std::string path = fuzz::PrivateFolder() + "/settings.json";
  std::remove((path + ".damaged").c_str());
  fuzz::WriteFile(path, {data, size});
  linux_os::FileRegistry registry(path);
  // A file that was set aside leaves nothing behind to read.
  if (registry.DamageNotice()) FUZZ_CHECK(registry.Snapshot().empty());
  // One processor a run, chosen by the length of the file, keeps the runs fast.
  fuzz::CheckSettings(
      registry, fuzz::SampleProcessor(static_cast<uint8_t>(size % fuzz::kSampleProcessorCount)));
  fuzz::CheckUpdateSettings(registry);
  fuzz::CheckProFeatures(registry);
  fuzz::CheckHardwareSwitches(registry);
  fuzz::CheckRewriteReadsBack(registry);
  return 0;
}
