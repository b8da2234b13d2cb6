#include <gtest/gtest.h>

#include "cpu/identify/family_flags.h"
#include "cpu/identify/feature_labels.h"
#include "cpu/identify/feature_predicates.h"
#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::FakeCpu;
using testing::RecordFor;

CpuInfo Classified(const char* vendor, uint32_t signature, uint32_t ecx = 0, uint32_t edx = 0) {
  CpuInfo info = RecordFor(vendor, signature);
  info.standardLeaves[1].ecx = ecx;
  info.standardLeaves[1].edx = edx;
  ClassifyFamily(info);
  return info;
}

std::vector<std::string> Texts(const std::vector<FeatureLabel>& labels) {
  std::vector<std::string> texts;
  for (const FeatureLabel& label : labels) texts.push_back(label.text);
  return texts;
}

TEST(EnhancedHalt, Pentium4FromSignatureF40) {
  EXPECT_FALSE(SupportsEnhancedHalt(Classified("GenuineIntel", 0xF34)));
  EXPECT_TRUE(SupportsEnhancedHalt(Classified("GenuineIntel", 0xF41)));
  EXPECT_TRUE(SupportsEnhancedHalt(Classified("GenuineIntel", 0x6EC)));   // Core Duo
  EXPECT_FALSE(SupportsEnhancedHalt(Classified("GenuineIntel", 0x6D6)));  // Pentium M
  FakeCpu cpu;
  const auto p4 = GetFeatureLabels(Classified("GenuineIntel", 0xF34), cpu);
  ASSERT_EQ(p4.size(), 8u);
  EXPECT_EQ(p4[4].text, "C1E");
  EXPECT_EQ(p4[4].supported, false);
}

TEST(FeatureLabels, IntelListInOrderWithCxEOnCoreProcessors) {
  FakeCpu cpu;
  // Merom with EIST (ECX 7), TM2 (ECX 8), ODCM (EDX 22) and TM1 (EDX 29).
  CpuInfo merom = RecordFor("GenuineIntel", 0x6FA);
  merom.standardLeaves[1].ecx = (1u << 7) | (1u << 8);
  merom.standardLeaves[1].edx = (1u << 22) | (1u << 29);
  merom.standardLeaves[6] = {0x3, 0, 0, 0};
  ClassifyFamily(merom);
  const auto labels = GetFeatureLabels(merom, cpu);
  EXPECT_EQ(Texts(labels),
            (std::vector<std::string>{"EIST", "TM1", "TM2", "ODCM", "CxE", "DTS", "IDA", "DFFS"}));
  for (const FeatureLabel& label : labels) EXPECT_EQ(label.supported, true) << label.text;

  // A Pentium M has no digital sensor feature, no IDA and no DFFS.
  const auto dothan = GetFeatureLabels(Classified("GenuineIntel", 0x6D6, 1u << 7), cpu);
  EXPECT_EQ(dothan[0].supported, true);
  EXPECT_EQ(dothan[5].supported, false);
  EXPECT_EQ(dothan[7].supported, false);
}

TEST(FeatureLabels, AmdViaTransmetaAndOthers) {
  FakeCpu cpu;
  CpuInfo k8 = RecordFor("AuthenticAMD", 0x20F42);
  k8.extendedLeaves[0] = {0x80000018u, 0, 0, 0};
  k8.extendedLeaves[7] = {0, 0, 0, 0x2};  // frequency control only
  ClassifyFamily(k8);
  auto labels = GetFeatureLabels(k8, cpu);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "Cool`n'Quiet");
  EXPECT_EQ(labels[0].supported, false);
  k8.extendedLeaves[7].edx = 0x6;
  EXPECT_EQ(GetFeatureLabels(k8, cpu)[0].supported, true);

  CpuInfo k7 = RecordFor("AuthenticAMD", 0x6A0);
  ClassifyFamily(k7);
  EXPECT_EQ(GetFeatureLabels(k7, cpu)[0].text, "PowerNow!");

  const auto via = GetFeatureLabels(Classified("CentaurHauls", 0x6A9, 1u << 7, 1u << 29), cpu);
  EXPECT_EQ(Texts(via), (std::vector<std::string>{"PowerSaver", "TM1", "TM2"}));
  EXPECT_EQ(via[0].supported, true);
  EXPECT_EQ(via[1].supported, true);
  EXPECT_EQ(via[2].supported, false);

  // A K10 and a plain P6 have nothing listed.
  for (const CpuInfo& other :
       {Classified("AuthenticAMD", 0x100F22), Classified("GenuineIntel", 0x68A)}) {
    const auto none = GetFeatureLabels(other, cpu);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].text, kNotAvailableText);
    EXPECT_FALSE(none[0].supported.has_value());
  }
}

TEST(LongRun, ExecutesTheTransmetaLeafOnlyOnTransmeta) {
  FakeCpu cpu;
  cpu.Set(0x80860001u, {0, 0, 0, (1u << 1) | (1u << 3)});
  EXPECT_FALSE(SupportsLongRun(Classified("GenuineIntel", 0x6D6), cpu));
  EXPECT_FALSE(cpu.Executed(0x80860001u));

  const CpuInfo crusoe = Classified("GenuineTMx86", 0x543);
  EXPECT_TRUE(SupportsLongRun(crusoe, cpu));
  EXPECT_EQ(GetFeatureLabels(crusoe, cpu)[0].text, "LongRun with LRTI");
  // Executed at each test, not remembered.
  cpu.Set(0x80860001u, {0, 0, 0, 1u << 1});
  EXPECT_FALSE(SupportsLongRun(crusoe, cpu));
}

TEST(Predicates, ThermalBitsNeedAnIntelStyleProcessor) {
  const uint32_t ecx = (1u << 7) | (1u << 8);
  const uint32_t edx = (1u << 22) | (1u << 29);
  const CpuInfo athlon = Classified("AuthenticAMD", 0x20F42, ecx, edx);
  EXPECT_FALSE(SupportsSpeedStep(athlon) || SupportsTm1(athlon) || SupportsTm2(athlon) ||
               SupportsOdcm(athlon));
  // A Pentium III has clock modulation but no P-state control.
  const CpuInfo coppermine = Classified("GenuineIntel", 0x68A, ecx, edx);
  EXPECT_TRUE(SupportsOdcm(coppermine));
  EXPECT_FALSE(SupportsTm1(coppermine));
  // VIA's C7 only among VIA processors.
  EXPECT_FALSE(SupportsTm1(Classified("CentaurHauls", 0x693, ecx, edx)));
}

TEST(Predicates, LogicalCountNeedsTheHyperThreadingBit) {
  CpuInfo info = RecordFor("GenuineIntel", 0xF34, 0x00020800);
  uint32_t count = 0;
  EXPECT_FALSE(GetLogicalCount(info, &count));
  EXPECT_EQ(count, 2u);
  info.standardLeaves[1].edx = 1u << 28;
  EXPECT_TRUE(GetLogicalCount(info, &count));
  EXPECT_TRUE(GetLogicalCount(info));
  info.standardLeaves[1].ebx = 0x00010800;
  EXPECT_FALSE(GetLogicalCount(info, &count));
  EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace pacetta
