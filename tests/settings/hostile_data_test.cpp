#include <gtest/gtest.h>

#include <random>
#include <set>

#include "app/settings/cpuid_stamp.h"
#include "tests/settings/settings_test_support.h"

namespace pacetta::settings_test {
namespace {

const char* const kByteNames[] = {"CPUID", "PStatesData", "ProfileData", "ProfileExtData",
                                  "CpuTempOffset"};

// Every name any processor's save writes, plus those only read.
std::vector<std::string> KnownNames() {
  std::set<std::string> names = {"SkipCPUIDCheck", "RefreshInterval", "ControlInterval",
                                 "LoadAverage",    "CpuTempAverage",  "NoRealtimePriority",
                                 "MgmtStartDelay", "Use8254",         "UnlockFid"};
  for (const CpuInfo& cpu :
       {AthlonK8RevE(), AthlonXpK7(), Core2Duo(), Crusoe(), ViaC7(), Pentium4()}) {
    const Machine machine(cpu);
    platform::MemoryRegistry registry;
    AppSettings settings = LoadFresh(machine, registry);
    settings.rememberAdvanced = 1;
    SaveAll(settings, machine, registry);
    for (const auto& [name, value] : Stored(registry)) names.insert(name);
  }
  for (const char* name : kByteNames) names.insert(name);
  return {names.begin(), names.end()};
}

class HostileKey {
 public:
  explicit HostileKey(uint32_t seed) : random_(seed) {}

  platform::RegistryValues Make(const CpuInfo& cpu, const std::vector<std::string>& names,
                                const platform::RegistryValues& valid) {
    platform::RegistryValues values;
    for (const std::string& name : names) {
      if (Chance(0.25)) continue;
      // Start from what a real save wrote, then damage it.
      auto found = valid.find(name);
      if (found != valid.end() && Chance(0.3)) {
        values[name] = Damage(found->second);
      } else {
        values[name] = Chance(0.75) ? platform::RegistryValue(Word()) : Bytes();
      }
    }
    // Mostly stamps that let the values in, so the rules behind them are reached.
    if (Chance(0.8)) values["ProgramVersion"] = Chance(0.8) ? kProgramVersion : Word();
    if (Chance(0.7)) values["CPUID"] = BuildCpuidStamp(cpu);
    return values;
  }

 private:
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
  uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

  uint32_t Word() {
    static const uint32_t kEdges[] = {
        0u,   1u,          2u,          3u,          6u,          7u,        63u,      64u,
        255u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu, 86399941u, 1000001u, 0x02030500u};
    if (Chance(0.5)) return kEdges[Pick(std::size(kEdges))];
    return static_cast<uint32_t>(random_());
  }

  std::vector<uint8_t> Bytes() {
    static const size_t kLengths[] = {0, 1, 3, 4, 193, 194, 195, 388, 776, 1000, 6208, 7000};
    const size_t length = Chance(0.5) ? kLengths[Pick(std::size(kLengths))] : Pick(2000);
    std::vector<uint8_t> bytes(length);
    for (auto& byte : bytes) byte = Chance(0.3) ? 0xFF : static_cast<uint8_t>(random_());
    return bytes;
  }

  platform::RegistryValue Damage(const platform::RegistryValue& value) {
    if (std::holds_alternative<uint32_t>(value)) {
      return Chance(0.5) ? platform::RegistryValue(std::get<uint32_t>(value) ^ (1u << Pick(32)))
                         : platform::RegistryValue(Bytes());
    }
    std::vector<uint8_t> bytes = std::get<std::vector<uint8_t>>(value);
    switch (Pick(4)) {
      case 0:
        bytes.resize(Pick(static_cast<uint32_t>(bytes.size()) + 1));
        break;
      case 1:
        bytes.resize(bytes.size() + 1 + Pick(600), static_cast<uint8_t>(random_()));
        break;
      default:
        for (uint32_t i = 0, n = 1 + Pick(8); i < n && !bytes.empty(); ++i) {
          bytes[Pick(static_cast<uint32_t>(bytes.size()))] = static_cast<uint8_t>(random_());
        }
    }
    return bytes;
  }

  std::mt19937 random_;
};

#define EXPECT_WITHIN(value, lowest, highest) \
  EXPECT_TRUE((value) >= (lowest) && (value) <= (highest)) << #value " = " << (value)

void ExpectUsable(const AppSettings& s, const Machine& machine) {
  const CpuInfo& cpu = machine.processor;
  EXPECT_WITHIN(s.intervals.refreshMs, 200, 60000);
  EXPECT_WITHIN(s.intervals.controlMs, 20, 10000);
  EXPECT_WITHIN(s.intervals.loadAverageMs, 50, 1000);
  EXPECT_WITHIN(s.intervals.cpuTempAverageMs, 1000, 10000);
  EXPECT_WITHIN(s.intervals.mgmtStartDelayS, 0, 3600);
  EXPECT_WITHIN(s.logging.maxLoggingPeriodS, 60, 86399940);
  EXPECT_WITHIN(s.battery.pollIntervalMs, 1000, 60000);
  EXPECT_WITHIN(s.battery.estimationAverageMs, 1000, 300000);
  EXPECT_WITHIN(s.derived.loadDepth, 1, 63);
  EXPECT_WITHIN(s.derived.temperatureDepth, 1, 63);

  const ManagementSettings& m = s.management;
  EXPECT_WITHIN(m.cpuLoadMethod, 0, 5);
  EXPECT_WITHIN(m.cpuOsLoadSelect, 0, 1);
  EXPECT_WITHIN(m.transitionsMethod, 0, 1);
  EXPECT_WITHIN(m.suspendAction, 0, 2);
  EXPECT_WITHIN(m.defaultsMode, 0, 2);
  EXPECT_WITHIN(s.tray.freqIconMode, 0, 1);
  EXPECT_WITHIN(s.tray.loadIconMode, 0, 2);
  EXPECT_WITHIN(s.tray.tempUnits, 0, 1);
  for (int32_t flag : {m.defaultsOnExit, m.defaultsOnDisable, m.autoAdjustVid, m.runHltOnIdle,
                       m.manageOsPowerSettings, m.overheatAlert, s.tray.showInfoBalloons,
                       s.tray.showTempInTray, s.tray.leftClickMenu, s.window.runMinimized,
                       s.logging.enableLogging, s.rememberAdvanced, s.family.intel.eist}) {
    EXPECT_WITHIN(flag, 0, 1);
  }
  EXPECT_TRUE(m.defaultFid == cpu.startFid ||
              (m.defaultFid >= cpu.minFid && m.defaultFid <= cpu.maxFid));
  EXPECT_TRUE(m.defaultVid == cpu.startVid || (m.defaultVid >= std::min(cpu.minVid, cpu.maxVid) &&
                                               m.defaultVid <= std::max(cpu.minVid, cpu.maxVid)));
  EXPECT_GE(s.window.left, 0);
  EXPECT_GE(s.window.top, 0);
  EXPECT_GE(s.window.activePage, 0);
  EXPECT_LE(s.colors.graphGrid, 0xFFFFFFu);

  const FamilySettings& f = s.family;
  EXPECT_WITHIN(f.k7k8.stopGrantTimeoutCount, 1, 1000000);
  EXPECT_WITHIN(f.k7k8.fidDelayUs, 0, 100);
  EXPECT_WITHIN(f.k7k8.vidDelayUs, 0, 200);
  EXPECT_WITHIN(f.k8.rampVoltageOffsetMv, 0, 75);
  EXPECT_WITHIN(f.k8.vsTimeUs, 0, 5240);
  EXPECT_WITHIN(f.transmeta.maxBoundDc, 0, 100);
  EXPECT_WITHIN(f.transmeta.atmModeAc, 0, 6);

  // The profiles: within their room, the selection within them, every list within its
  // bounds and every listed state a usable row.
  const ProfileStore& profiles = s.profiles;
  const int32_t room = machine.proFeaturesLoaded ? kMaxProfiles : kFixedProfileCount;
  EXPECT_WITHIN(profiles.Count(), kFixedProfileCount, room);
  EXPECT_WITHIN(m.profileAc, 0, profiles.Count() - 1);
  EXPECT_WITHIN(m.profileDc, 0, profiles.Count() - 1);
  EXPECT_WITHIN(profiles.Table().lastIndex, -1, kMaxPStates - 1);
  for (int32_t k = 0; k < profiles.Count(); ++k) {
    for (const ProfileHalf* half : {&profiles.At(k)->ac, &profiles.At(k)->dc}) {
      EXPECT_WITHIN(half->lastState, -1, kMaxStatesPerList - 1);
      EXPECT_WITHIN(half->lastThrottle, -1, kMaxThrottlesPerList - 1);
      for (int32_t i = 0; i <= half->lastState; ++i) {
        EXPECT_TRUE(profiles.Table().IsUsable(half->states[i])) << half->states[i];
      }
      for (int32_t i = 0; i <= half->lastThrottle; ++i) {
        EXPECT_WITHIN(half->throttles[i], kLowestThrottleLevel, kNoThrottling);
      }
    }
  }
}

TEST(SettingsHostileData, GarbageOfEveryTypeEndsInDefaultsOrClampedValues) {
  const std::vector<std::string> names = KnownNames();
  uint32_t seed = 20240611;
  for (const CpuInfo& cpu : {AthlonK8RevE(), AthlonXpK7(), Core2Duo(), Crusoe(), ViaC7()}) {
    for (bool pro : {false, true}) {
      Machine machine(cpu);
      machine.proFeaturesLoaded = pro;
      // A real save to damage, with custom profiles when the module is there.
      platform::MemoryRegistry source;
      AppSettings used = LoadFresh(machine, source);
      ChangeEveryValue(used, cpu);
      if (pro) used.profiles.Add("Custom");
      SaveAll(used, machine, source);
      const platform::RegistryValues valid = Stored(source);

      for (int round = 0; round < 60; ++round, ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        HostileKey hostile(seed);
        auto registry = RegistryWith(hostile.Make(cpu, names, valid));
        AppSettings loaded = LoadFresh(machine, registry);
        ExpectUsable(loaded, machine);

        // What a hostile key loads to, the program saves and loads back unchanged.
        SaveAll(loaded, machine, registry);
        const AppSettings again = LoadFresh(machine, registry);
        EXPECT_EQ(again.management, loaded.management);
        EXPECT_EQ(again.tray, loaded.tray);
        EXPECT_EQ(again.family, loaded.family);
        EXPECT_EQ(again.profiles.Count(), loaded.profiles.Count());
        if (HasFailure()) return;
      }
    }
  }
}

TEST(SettingsHostileData, ValuesOfTheWrongTypeAreMissingValues) {
  const Machine machine(AthlonK8RevE());
  const AppSettings defaults = [&] {
    platform::MemoryRegistry empty;
    return LoadFresh(machine, empty);
  }();
  auto values = StampedValues(machine.processor);
  values["RefreshInterval"] = std::vector<uint8_t>{0x10, 0x27, 0, 0};
  values["ProfileAC"] = std::vector<uint8_t>{2, 0, 0, 0};
  values["PStatesData"] = 0x0C1E0101u;
  values["ProfileData"] = 4u;
  auto registry = RegistryWith(values);
  SettingsLoadReport report;
  const AppSettings s = LoadFresh(machine, registry, &report);
  EXPECT_EQ(s.intervals.refreshMs, defaults.intervals.refreshMs);
  EXPECT_EQ(s.management.profileAc, 0);
  EXPECT_FALSE(report.profiles.tableRead);
  EXPECT_EQ(s.profiles.Count(), kFixedProfileCount);

  // A version stamp stored as bytes is no stamp: everything keeps its default.
  values = StampedValues(machine.processor);
  values["ProgramVersion"] = std::vector<uint8_t>{0x00, 0x05, 0x03, 0x02};
  values["TempUnits"] = 1u;
  auto bytesStamp = RegistryWith(values);
  EXPECT_EQ(LoadFresh(machine, bytesStamp).tray.tempUnits, 0);
}

TEST(SettingsHostileData, AShortProfileListKeepsTheFourFixedProfiles) {
  Machine machine(AthlonK8RevE());
  machine.proFeaturesLoaded = true;
  platform::MemoryRegistry source;
  AppSettings used = LoadFresh(machine, source);
  SaveAll(used, machine, source);
  auto values = Stored(source);
  auto& data = std::get<std::vector<uint8_t>>(values.at("ProfileData"));
  data.resize(2 * 194 + 100);  // two whole records and a cut one
  values["ProfileAC"] = 3u;
  auto registry = RegistryWith(values);
  const AppSettings s = LoadFresh(machine, registry);
  ASSERT_EQ(s.profiles.Count(), kFixedProfileCount);
  EXPECT_EQ(s.management.profileAc, 3);
  EXPECT_EQ(NameOf(*s.profiles.At(3)), "Performance on demand");
}

}  // namespace
}  // namespace pacetta::settings_test
