#include <gtest/gtest.h>

#include "app/settings/cpuid_stamp.h"
#include "tests/settings/settings_test_support.h"

namespace pacetta::settings_test {
namespace {

// A key as a user's earlier run left it: general values, the profile selection, the K8
// method, a table of two states and the defaults on exit.
platform::RegistryValues UsedKey(const CpuInfo& cpu, uint32_t version = kProgramVersion) {
  auto values = StampedValues(cpu, version);
  values["RefreshInterval"] = 2000u;
  values["ShowFreqInTray"] = 0u;
  values["EnableLogging"] = 1u;
  values["ProfileAC"] = 3u;
  values["ProfileDC"] = 1u;
  values["AMDK8.PSTMethod"] = 8u;
  values["AMDK8.RampVoltageOffset"] = 25u;
  values["DefaultsMode"] = 2u;
  values["DefaultFid"] = 10u;
  // Rows: FID 8 VID 30 and FID 12 VID 20, both enabled, normal.
  values["PStatesData"] = std::vector<uint8_t>{8, 30, 1, 0, 12, 20, 1, 0};
  return values;
}

TEST(SettingsValidity, AKeyOfThisVersionAndProcessorIsReadWhole) {
  const Machine machine(AthlonK8RevE());
  auto registry = RegistryWith(UsedKey(machine.processor));
  SettingsLoadReport report;
  const AppSettings s = LoadFresh(machine, registry, &report);
  EXPECT_TRUE(report.keyFound && report.versionKnown && report.processorMatches);
  EXPECT_TRUE(report.profiles.tableRead);
  EXPECT_EQ(s.profiles.Table().Count(), 2);
  EXPECT_EQ(s.intervals.refreshMs, 2000);
  EXPECT_EQ(s.management.profileAc, 3);
  EXPECT_EQ(s.family.k8.pstMethod, 8);
  EXPECT_EQ(s.management.defaultsMode, 2);
  EXPECT_EQ(s.management.defaultFid, 10);
}

TEST(SettingsValidity, AKeyOfANewerOrUnknownVersionIsIgnoredAsAWhole) {
  const Machine machine(AthlonK8RevE());
  const AppSettings defaults(machine.View());
  for (std::optional<uint32_t> version :
       {std::optional<uint32_t>(0x02030501), std::optional<uint32_t>(0x03000000),
        std::optional<uint32_t>(0x01FFFFFF), std::optional<uint32_t>()}) {
    auto values = UsedKey(machine.processor);
    if (version) {
      values["ProgramVersion"] = *version;
    } else {
      values.erase("ProgramVersion");
    }
    auto registry = RegistryWith(values);
    SettingsLoadReport report;
    const AppSettings s = LoadFresh(machine, registry, &report);
    EXPECT_FALSE(report.versionKnown);
    EXPECT_EQ(s.intervals, defaults.intervals);
    EXPECT_EQ(s.tray, defaults.tray);
    EXPECT_EQ(s.family.k8, defaults.family.k8);
    EXPECT_FALSE(report.profiles.tableRead);
  }
}

TEST(SettingsValidity, AnOlderKeyKeepsOnlyTheGroupsThatVersionHad) {
  const Machine machine(AthlonK8RevE());
  // 2.2.5 stored profiles and the K8 method, but no table and no defaults on exit: the
  // table is rebuilt from the processor.
  auto registry = RegistryWith(UsedKey(machine.processor, 0x02020500));
  SettingsLoadReport report;
  const AppSettings s = LoadFresh(machine, registry, &report);
  EXPECT_FALSE(report.profiles.tableRead);
  EXPECT_EQ(s.family.k8.pstMethod, 8);
  EXPECT_EQ(s.management.profileAc, 3);
  EXPECT_EQ(s.management.defaultsMode, 1);
  EXPECT_EQ(s.management.defaultFid, machine.processor.startFid);

  // 2.0 had no profile selection and no K8 method yet.
  auto oldest = RegistryWith(UsedKey(machine.processor, 0x02000000));
  const AppSettings old = LoadFresh(machine, oldest);
  EXPECT_EQ(old.intervals.refreshMs, 2000);
  EXPECT_EQ(old.management.profileAc, 0);
  EXPECT_EQ(old.family.k8.pstMethod, 0);
  EXPECT_EQ(old.family.k8.rampVoltageOffsetMv, 25);
}

TEST(SettingsValidity, AKeyFromAnotherProcessorKeepsOnlyTheGeneralValues) {
  const Machine machine(AthlonK8RevE());
  auto registry = RegistryWith(UsedKey(OtherAthlonK8()));
  SettingsLoadReport report;
  const AppSettings s = LoadFresh(machine, registry, &report);
  EXPECT_TRUE(report.versionKnown);
  EXPECT_FALSE(report.processorMatches);
  EXPECT_EQ(s.intervals.refreshMs, 2000);
  EXPECT_EQ(s.tray.showFreqInTray, 0);
  EXPECT_EQ(s.logging.enableLogging, 1);
  EXPECT_EQ(s.family.k8.rampVoltageOffsetMv, 25);
  EXPECT_FALSE(report.profiles.tableRead);
  EXPECT_EQ(s.management.profileAc, 0);
  EXPECT_EQ(s.management.profileDc, 0);
  EXPECT_EQ(s.family.k8.pstMethod, 0);
  EXPECT_EQ(s.management.defaultsMode, 1);

  auto values = UsedKey(OtherAthlonK8());
  values["SkipCPUIDCheck"] = 1u;
  auto skipped = RegistryWith(values);
  SettingsLoadReport trusted;
  const AppSettings t = LoadFresh(machine, skipped, &trusted);
  EXPECT_TRUE(trusted.processorMatches);
  EXPECT_TRUE(trusted.profiles.tableRead);
  EXPECT_EQ(t.management.profileAc, 3);
  EXPECT_EQ(t.skipCpuidCheck, 1);
}

TEST(SettingsValidity, TheStampMatchesOnlyWithTheSameLengthAndEveryLeaf) {
  const CpuInfo cpu = AthlonK8RevE();
  const std::vector<uint8_t> stamp = BuildCpuidStamp(cpu);
  EXPECT_TRUE(CpuidStampMatches(stamp, cpu));

  std::vector<uint8_t> cut(stamp.begin(), stamp.end() - 16);  // the last leaf missing
  EXPECT_FALSE(CpuidStampMatches(cut, cpu));
  std::vector<uint8_t> longer = stamp;  // one leaf more than this processor reports
  longer.insert(longer.end(), 16, 0);
  EXPECT_FALSE(CpuidStampMatches(longer, cpu));
  std::vector<uint8_t> ragged(stamp.begin(), stamp.end() - 3);
  EXPECT_FALSE(CpuidStampMatches(ragged, cpu));
  EXPECT_FALSE(CpuidStampMatches({}, cpu));
  for (size_t byte : {size_t{0}, size_t{27}, stamp.size() - 1}) {
    std::vector<uint8_t> changed = stamp;
    changed[byte] ^= 0x40;
    EXPECT_FALSE(CpuidStampMatches(changed, cpu)) << byte;
  }

  // A stamp stored as a word, or missing, leaves the processor groups unread.
  auto values = StampedValues(cpu);
  values["CPUID"] = 7u;
  values["ProfileAC"] = 2u;
  auto registry = RegistryWith(values);
  EXPECT_EQ(LoadFresh(Machine(cpu), registry).management.profileAc, 0);
}

TEST(SettingsValidity, TheStampHoldsTheReportedLeavesSixteenBytesEach) {
  CpuInfo cpu = AthlonK8RevE();
  cpu.standardLeaves[0].eax = 20;  // only 0..15 are kept
  cpu.standardLeaves[15] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
  cpu.extendedLeaves[0].eax = 0x80000040;  // only 0x80000000..0x8000001F are kept
  cpu.extendedLeaves[31].edx = 0xA1B2C3D4;
  const std::vector<uint8_t> stamp = BuildCpuidStamp(cpu);
  ASSERT_EQ(stamp.size(), 768u);
  EXPECT_EQ(stamp[15 * 16 + 0], 0x11);  // leaf 15 EAX, little-endian
  EXPECT_EQ(stamp[15 * 16 + 12], 0x44);
  EXPECT_EQ(stamp[767], 0xA1);  // the last extended leaf's EDX, top byte

  // Without extended leaves the cleared leaf 0x80000000 is still stamped.
  cpu.standardLeaves[0].eax = 1;
  cpu.extendedLeaves[0] = {};
  EXPECT_EQ(BuildCpuidStamp(cpu).size(), 3u * 16);
}

}  // namespace
}  // namespace pacetta::settings_test
