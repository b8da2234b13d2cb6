#include "tests/settings/settings_test_support.h"

#include "app/settings/cpuid_stamp.h"

namespace pacetta::settings_test {
namespace {

CpuInfo WithLeaves(uint32_t highest, uint32_t signature, uint32_t vendorEbx) {
  CpuInfo cpu;
  cpu.standardLeaves[0] = {highest, vendorEbx, 0x444D4163, 0x69746E65};
  cpu.standardLeaves[1] = {signature, 0x00010800, 0x1, 0x178BFBFF};
  cpu.extendedLeaves[0] = {0x80000018, 0, 0, 0};
  cpu.extendedLeaves[7] = {0, 0, 0, 0x6};
  return cpu;
}

}  // namespace

CpuInfo AthlonK8RevE() {
  CpuInfo cpu = WithLeaves(1, 0x20F32, 0x68747541);
  cpu.isK8 = cpu.isK8RevE = cpu.isK8RevEOrLater = cpu.isAmdPowerNow = 1;
  cpu.hasDigitalThermalSensor = 1;
  cpu.startFid = 12, cpu.minFid = 8, cpu.maxFid = 14;
  // On AMD the VID code falls as the voltage rises.
  cpu.startVid = 20, cpu.minVid = 30, cpu.maxVid = 18;
  return cpu;
}

CpuInfo OtherAthlonK8() {
  CpuInfo cpu = AthlonK8RevE();
  cpu.standardLeaves[1].eax = 0x20F71;
  return cpu;
}

CpuInfo AthlonXpK7() {
  CpuInfo cpu = WithLeaves(1, 0x6A0, 0x68747541);
  cpu.isK7 = cpu.isAmdPowerNow = 1;
  cpu.switches.amdK7DesktopVids = 1;
  cpu.startFid = 18, cpu.minFid = 16, cpu.maxFid = 20;
  cpu.startVid = 8, cpu.minVid = 30, cpu.maxVid = 4;
  return cpu;
}

CpuInfo Core2Duo() {
  CpuInfo cpu = WithLeaves(10, 0x6FB, 0x756E6547);
  cpu.isCore2 = cpu.isIntelCore = cpu.isIntelSpeedStep = cpu.isIntelPState = 1;
  cpu.isIntelSupported = cpu.hasDigitalThermalSensor = cpu.hasIda = cpu.hasDffs = 1;
  cpu.switches.intelCore2CpuType = 1;
  cpu.startFid = 9, cpu.minFid = 6, cpu.maxFid = 9;
  cpu.startVid = 40, cpu.minVid = 20, cpu.maxVid = 40;
  return cpu;
}

CpuInfo Pentium4() {
  CpuInfo cpu = WithLeaves(5, 0xF41, 0x756E6547);
  cpu.isPentium4 = cpu.isPentium4Prescott = cpu.isIntelPState = cpu.isIntelSupported = 1;
  return cpu;
}

CpuInfo Crusoe() {
  CpuInfo cpu = WithLeaves(1, 0x543, 0x756E6547);
  cpu.isTransmeta = 1;
  cpu.extendedLeaves[0] = {0x80000006, 0, 0, 0};
  return cpu;
}

CpuInfo ViaC7() {
  CpuInfo cpu = WithLeaves(1, 0x6A9, 0x746E6543);
  cpu.isVia6 = cpu.isViaC7 = 1;
  return cpu;
}

const std::array<std::string, 4>& Names() {
  static const std::array<std::string, 4> names = {"No management", "Power saving",
                                                   "Maximal performance", "Performance on demand"};
  return names;
}

AppSettings LoadFresh(const Machine& machine, platform::Registry& registry,
                      SettingsLoadReport* report) {
  AppSettings settings(machine.View());
  const SettingsLoadReport result = settings.Load(registry, machine.View(), Names());
  if (report) *report = result;
  return settings;
}

void SaveAll(AppSettings& settings, const Machine& machine, platform::Registry& registry) {
  settings.Save(registry, SettingsSaveContext{machine.processor, true});
}

platform::RegistryValues StampedValues(const CpuInfo& cpu, uint32_t version) {
  platform::RegistryValues values;
  values["ProgramVersion"] = version;
  values["CPUID"] = BuildCpuidStamp(cpu);
  return values;
}

platform::MemoryRegistry RegistryWith(platform::RegistryValues values) {
  platform::RegistryKeys keys;
  keys[kKey] = std::move(values);
  return platform::MemoryRegistry(std::move(keys));
}

platform::RegistryValues Stored(const platform::MemoryRegistry& registry) {
  return registry.Snapshot().at(kKey);
}

void ChangeEveryValue(AppSettings& s, const CpuInfo& cpu) {
  s.intervals = {};  // never written: kept at their defaults
  s.management.cpuLoadMethod = 5;
  s.management.cpuOsLoadSelect = 1;
  s.management.transitionsMethod = 0;
  s.management.suspendAction = 2;
  s.management.defaultsOnExit = 0;
  s.management.defaultsOnDisable = 0;
  s.management.defaultsMode = 0;
  s.management.autoAdjustVid = 0;
  s.management.defaultFid = cpu.minFid;
  s.management.defaultVid = cpu.minVid;
  s.management.profileAc = 3;
  s.management.profileDc = 1;
  s.management.runHltOnIdle = 1;
  s.management.manageOsPowerSettings = 0;
  s.management.overheatAlert = 0;
  s.logging = {1, 0x1F, 3600};
  s.tray = {1, 0, 0, 0, 1, 3, 0, 1, 1, 1, 1, 0, 0, 1, 2, 3, 1};
  s.battery = {1, 0, 0, 5000, 60000, 1, 1};
  s.window = {1031, 1, 1, 0, 1, 1, 120, 80, 1, 6};
  s.colors = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112,
              0x131415, 0x161718, 0x191A1B, 0x1C1D1E, 0x1F2021, 0x222324};
  s.rememberAdvanced = 1;
  FamilySettings& f = s.family;
  f.k7k8 = {5000, 40, 60};
  f.k8 = {0x18, 25, 1, 1, 20000, 0x11223344, 0x55667788, 0x000DA701, 9, 100};
  f.k7 = {3, 4, 200, 0x12345, 1};
  f.intel = {1, 3, 7, 30, 0x1F, 0, 0};
  for (size_t i = 0; i < f.centrino.size(); ++i) f.centrino[i] = static_cast<int32_t>(i + 1);
  f.transmeta = {10, 20, 90, 80, 0, 0, 3, 6};
}

}  // namespace pacetta::settings_test
