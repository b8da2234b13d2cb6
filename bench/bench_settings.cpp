// The settings load at start and the save at exit, on a full key: every value, a table of
// 64 states and 32 profiles, in the settings file as the program keeps it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "app/settings/app_settings.h"
#include "platform/linux/file_registry.h"

namespace pacetta {
namespace {

const std::array<std::string, 4> kNames = {"No management", "Power saving", "Maximal performance",
                                           "Performance on demand"};

CpuInfo Core2() {
  CpuInfo cpu;
  cpu.standardLeaves[0] = {10, 0x756E6547, 0x6C65746E, 0x49656E69};
  cpu.standardLeaves[1] = {0x6FB, 0x00020800, 0xE3BD, 0xBFEBFBFF};
  cpu.extendedLeaves[0] = {0x80000008, 0, 0, 0};
  cpu.isCore2 = cpu.isIntelCore = cpu.isIntelSpeedStep = cpu.isIntelPState = 1;
  cpu.isIntelSupported = cpu.hasDigitalThermalSensor = 1;
  cpu.startFid = 9, cpu.minFid = 6, cpu.maxFid = 9;
  cpu.startVid = 40, cpu.minVid = 20, cpu.maxVid = 40;
  return cpu;
}

class FullSettingsFile {
 public:
  FullSettingsFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pacetta-bench-XXXXXX").string();
    folder_ = mkdtemp(pattern.data()) ? pattern : std::string(".");
    path_ = folder_ + "/settings.json";
    linux_os::FileRegistry registry(path_);
    AppSettings settings(Machine());
    settings.Load(registry, Machine(), kNames);
    settings.rememberAdvanced = 1;
    for (int i = kFixedProfileCount; i < kMaxProfiles; ++i) settings.profiles.Add("Custom");
    settings.Save(registry, SettingsSaveContext{cpu_, true});
  }
  ~FullSettingsFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FullSettingsFile(const FullSettingsFile&) = delete;
  FullSettingsFile& operator=(const FullSettingsFile&) = delete;

  SettingsMachine Machine() const {
    SettingsMachine machine{cpu_};
    machine.proFeaturesLoaded = true;
    machine.hasTemperatureSensor = true;
    return machine;
  }
  const std::string& Path() const { return path_; }
  const CpuInfo& Cpu() const { return cpu_; }

 private:
  CpuInfo cpu_ = Core2();
  std::string folder_;
  std::string path_;
};

// Start: the settings file is opened and parsed, then the settings are loaded from it.
void BM_SettingsLoad(benchmark::State& state) {
  FullSettingsFile file;
  for (auto _ : state) {
    linux_os::FileRegistry registry(file.Path());
    AppSettings settings(file.Machine());
    const SettingsLoadReport report = settings.Load(registry, file.Machine(), kNames);
    if (settings.profiles.Count() != kMaxProfiles || !report.processorMatches) {
      state.SkipWithError("the full key did not load");
      break;
    }
    benchmark::DoNotOptimize(settings);
  }
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMillisecond);

// The two halves of the start: parsing the file, and loading from the parsed key.
void BM_SettingsFileParse(benchmark::State& state) {
  FullSettingsFile file;
  for (auto _ : state) {
    linux_os::FileRegistry registry(file.Path());
    benchmark::DoNotOptimize(registry);
  }
}
BENCHMARK(BM_SettingsFileParse)->Unit(benchmark::kMillisecond);

void BM_SettingsLoadParsed(benchmark::State& state) {
  FullSettingsFile file;
  linux_os::FileRegistry registry(file.Path());
  for (auto _ : state) {
    AppSettings settings(file.Machine());
    settings.Load(registry, file.Machine(), kNames);
    benchmark::DoNotOptimize(settings);
  }
}
BENCHMARK(BM_SettingsLoadParsed)->Unit(benchmark::kMillisecond);

// Exit: every value written and the file replaced atomically, fsync included.
void BM_SettingsSave(benchmark::State& state) {
  FullSettingsFile file;
  linux_os::FileRegistry registry(file.Path());
  AppSettings settings(file.Machine());
  settings.Load(registry, file.Machine(), kNames);
  uint32_t round = 0;
  for (auto _ : state) {
    settings.window.left = static_cast<int32_t>(++round & 0xFFFF);  // a change to persist
    if (!settings.Save(registry, SettingsSaveContext{file.Cpu(), true})) {
      state.SkipWithError("the save failed");
      break;
    }
  }
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMillisecond);

// The same save with the file's fsync skipped: what the program itself spends, apart from
// waiting for the disk.
class NoFileSync final : public linux_os::SettingsFileCalls {
 public:
  int Sync(int) override { return 0; }
};

void BM_SettingsSaveWithoutFileSync(benchmark::State& state) {
  FullSettingsFile file;
  linux_os::FileRegistry registry(file.Path(), std::make_shared<NoFileSync>());
  AppSettings settings(file.Machine());
  settings.Load(registry, file.Machine(), kNames);
  uint32_t round = 0;
  for (auto _ : state) {
    settings.window.left = static_cast<int32_t>(++round & 0xFFFF);
    if (!settings.Save(registry, SettingsSaveContext{file.Cpu(), true})) {
      state.SkipWithError("the save failed");
      break;
    }
  }
}
BENCHMARK(BM_SettingsSaveWithoutFileSync)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pacetta

BENCHMARK_MAIN();
