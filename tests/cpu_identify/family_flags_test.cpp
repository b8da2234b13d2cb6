#include "cpu/identify/family_flags.h"

#include <gtest/gtest.h>

#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::RecordFor;

CpuInfo Classified(const char* vendor, uint32_t signature, uint32_t leaf1Ebx = 0) {
  CpuInfo info = RecordFor(vendor, signature, leaf1Ebx);
  ClassifyFamily(info);
  return info;
}

TEST(FamilyFlags, K8RevisionsFollowTheExtendedModel) {
  const CpuInfo revF = Classified("AuthenticAMD", 0x00040F12);  // ext. model 4
  EXPECT_TRUE(revF.isK8 && revF.isK8RevF && revF.isK8Npt && revF.isK8RevEOrLater);
  EXPECT_FALSE(revF.isK8RevE || revF.isK8RevG);

  const CpuInfo unknownRevision = Classified("AuthenticAMD", 0x00080F12);  // ext. model 8
  EXPECT_TRUE(unknownRevision.isK8 && unknownRevision.isAmdPowerNow);
  EXPECT_FALSE(unknownRevision.isK8RevE || unknownRevision.isK8RevF || unknownRevision.isK8RevG ||
               unknownRevision.isK8Npt || unknownRevision.isK8RevEOrLater);

  const CpuInfo revE = Classified("AuthenticAMD", 0x00020FB1);
  EXPECT_TRUE(revE.isK8RevE && revE.isK8RevEOrLater);
  EXPECT_FALSE(revE.isK8Npt);

  const CpuInfo revG = Classified("AuthenticAMD", 0x00070FF2);
  EXPECT_TRUE(revG.isK8RevG && revG.isK8Npt);
  EXPECT_TRUE(Classified("AuthenticAMD", 0x000C0F00).isK8RevF);
}

TEST(FamilyFlags, MobileK8IsDecidedByBrandRowBeforeNptOnly) {
  // Brand id 0x2B: table row (0x2B >> 5) & 7 = 1, not mobile.
  EXPECT_FALSE(Classified("AuthenticAMD", 0x00020F42, 0x2B).isMobileK8);
  // Row 10 from the extended brand id when the 8-bit id is 0.
  CpuInfo info = RecordFor("AuthenticAMD", 0x00020F42);
  info.extendedLeaves[0] = {0x80000018u, 0, 0, 0};
  info.extendedLeaves[1] = {0, 10u << 6, 0, 0};
  ClassifyFamily(info);
  EXPECT_TRUE(info.isMobileK8);
  // The same brand row on an NPT part does not count.
  info.standardLeaves[1].eax = 0x00040F12;
  ClassifyFamily(info);
  EXPECT_FALSE(info.isMobileK8);
}

TEST(FamilyFlags, AmdFamiliesAndVendorGate) {
  EXPECT_TRUE(Classified("AuthenticAMD", 0x6A0).isK7);
  const CpuInfo k10 = Classified("AuthenticAMD", 0x00100F22);
  EXPECT_TRUE(k10.isK10 && k10.isAmdPowerNow);
  EXPECT_FALSE(k10.isK8);
  // Family 15 of Intel is a Pentium 4, never a K8.
  const CpuInfo p4 = Classified("GenuineIntel", 0xF29);
  EXPECT_TRUE(p4.isPentium4);
  EXPECT_FALSE(p4.isK8 || p4.isAmdPowerNow);
}

TEST(FamilyFlags, PentiumMIsP6ButCoreDuoIsNot) {
  const CpuInfo dothan = Classified("GenuineIntel", 0x6D6);
  EXPECT_TRUE(dothan.isPentiumM && dothan.isIntelP6 && dothan.isPentiumMOrCoreDuo &&
              dothan.isIntelSpeedStep && dothan.isIntelPState && dothan.isIntelSupported);
  EXPECT_FALSE(dothan.isCoreDuo || dothan.isIntelCore);

  const CpuInfo yonah = Classified("GenuineIntel", 0x6EC);
  EXPECT_TRUE(yonah.isCoreDuo && yonah.isIntelCore && yonah.isPentiumMOrCoreDuo &&
              yonah.isIntelSupported);
  EXPECT_FALSE(yonah.isIntelP6 || yonah.isPentiumM);
}

TEST(FamilyFlags, Core2ModelsIncludeTheExtendedModel) {
  for (uint32_t signature : {0x6FBu, 0x10661u, 0x10676u}) {  // models 15, 22, 23
    const CpuInfo core2 = Classified("GenuineIntel", signature);
    EXPECT_TRUE(core2.isCore2 && core2.isIntelCore) << std::hex << signature;
    EXPECT_FALSE(core2.isIntelP6) << std::hex << signature;
  }
  // Model 7 (Pentium III Katmai) is plain P6 without P-state control.
  const CpuInfo katmai = Classified("GenuineIntel", 0x672);
  EXPECT_TRUE(katmai.isIntelP6 && katmai.isIntelSupported);
  EXPECT_FALSE(katmai.isIntelPState);
}

TEST(FamilyFlags, PrescottFromModelThreeAndDffsOnThreeSteppings) {
  EXPECT_FALSE(Classified("GenuineIntel", 0xF29).isPentium4Prescott);
  EXPECT_TRUE(Classified("GenuineIntel", 0xF34).isPentium4Prescott);
  EXPECT_TRUE(Classified("GenuineIntel", 0x6FA).hasDffs);
  EXPECT_TRUE(Classified("GenuineIntel", 0x6FD).hasDffs);
  EXPECT_FALSE(Classified("GenuineIntel", 0x6F6).hasDffs);
}

TEST(FamilyFlags, TransmetaAndViaFamilies) {
  EXPECT_TRUE(Classified("GenuineTMx86", 0x543).isTransmeta);
  EXPECT_TRUE(Classified("GenuineTMx86", 0xF24).isTransmeta);
  EXPECT_FALSE(Classified("GenuineTMx86", 0x643).isTransmeta);
  const CpuInfo esther = Classified("CentaurHauls", 0x6A9);
  EXPECT_TRUE(esther.isVia6 && esther.isViaC7);
  const CpuInfo nehemiah = Classified("CentaurHauls", 0x693);
  EXPECT_TRUE(nehemiah.isVia6);
  EXPECT_FALSE(nehemiah.isViaC7);
}

TEST(FamilyFlags, ThermalSensorByVendorRuleAndIdaForEveryVendor) {
  CpuInfo core2 = RecordFor("GenuineIntel", 0x6FB);
  core2.standardLeaves[6] = {0x3, 0, 0, 0};
  ClassifyFamily(core2);
  EXPECT_TRUE(core2.hasDigitalThermalSensor && core2.hasIda);

  CpuInfo k8 = RecordFor("AuthenticAMD", 0x20F42);
  k8.extendedLeaves[0] = {0x80000018u, 0, 0, 0};
  k8.extendedLeaves[7] = {0, 0, 0, 0x1};
  ClassifyFamily(k8);
  EXPECT_TRUE(k8.hasDigitalThermalSensor);

  // Neither Intel-supported nor AMD: the flag keeps its value, IDA still follows leaf 6.
  CpuInfo via = RecordFor("CentaurHauls", 0x6A9);
  via.hasDigitalThermalSensor = 1;
  via.standardLeaves[6] = {0x2, 0, 0, 0};
  ClassifyFamily(via);
  EXPECT_EQ(via.hasDigitalThermalSensor, 1u);
  EXPECT_EQ(via.hasIda, 1u);
}

TEST(FamilyFlags, UnknownProcessorGetsNoFlag) {
  const CpuInfo cyrix = Classified("CyrixInstead", 0x6A0);
  EXPECT_FALSE(cyrix.isK7 || cyrix.isIntelP6 || cyrix.isVia6 || cyrix.isTransmeta ||
               cyrix.isIntelSupported || cyrix.isAmdPowerNow);
}

}  // namespace
}  // namespace pacetta
