// Every catalogue machine is the processor and board it claims to be.
#include "platform/sim/catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/pci_config.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

struct Expected {
  const char* name;
  const char* vendor;
  uint32_t family;
  uint32_t model;
  size_t processors;
  uint16_t hostBridgeVendor;
};

constexpr Expected kExpected[] = {
    {"k8-desktop", kVendorAmd, 0xF, 0x2F, 1, 0x10DE},
    {"k8-x2-laptop", kVendorAmd, 0xF, 0x48, 2, 0x1002},
    {"k7-mobile-laptop", kVendorAmd, 6, 10, 1, 0x1106},
    {"pentium-m-laptop", kVendorIntel, 6, 13, 1, 0x8086},
    {"core-duo-laptop", kVendorIntel, 6, 14, 2, 0x8086},
    {"core2-duo-laptop", kVendorIntel, 6, 15, 2, 0x8086},
    {"pentium4-ht", kVendorIntel, 15, 3, 2, 0x8086},
    {"via-c7", kVendorCentaur, 6, 10, 1, 0x1106},
    {"transmeta", kVendorTransmeta, 5, 4, 1, 0x1279},
    {"zen-laptop", kVendorAmd, 0x17, 0x60, 4, 0x1022},
    {"hybrid-laptop", kVendorIntel, 6, 0x9A, 4, 0x8086},
};

TEST(Catalogue, EveryMachineIsTheFamilyItClaims) {
  const auto entries = Catalogue();
  ASSERT_EQ(entries.size(), std::size(kExpected));
  for (const auto& expected : kExpected) {
    SCOPED_TRACE(expected.name);
    const auto machine = FindCatalogueMachine(expected.name);
    ASSERT_TRUE(machine.has_value());
    EXPECT_EQ(machine->name, expected.name);
    EXPECT_FALSE(machine->description.empty());
    ASSERT_EQ(machine->processors.size(), expected.processors);
    std::set<uint32_t> apicIds;
    for (const auto& processor : machine->processors) {
      EXPECT_EQ(VendorOf(processor.leaves), expected.vendor);
      EXPECT_EQ(FamilyOf(processor.leaves), expected.family);
      EXPECT_EQ(FullModelOf(processor.leaves), expected.model);
      EXPECT_FALSE(BrandStringOf(processor.leaves).empty());
      apicIds.insert(processor.apicId);
    }
    EXPECT_EQ(apicIds.size(), expected.processors);
    const auto* host = FindPciDevice(*machine, 0, 0);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(ReadConfig32(*host, 0) & 0xFFFF, expected.hostBridgeVendor);
    EXPECT_EQ(ReadConfig32(*host, 8) >> 8, kClassHostBridge);
  }
}

TEST(Catalogue, ComposedTurionX2IsADualCoreRevisionFMobileK8) {
  const auto machine = FindCatalogueMachine("k8-x2-laptop");
  ASSERT_TRUE(machine.has_value());
  for (const auto& processor : machine->processors) {
    EXPECT_EQ(SignatureOf(processor.leaves), 0x40F82u);
    EXPECT_EQ(LeafOf(processor.leaves, 0x80000001).eax, 0x40F82u);
    EXPECT_EQ(BrandStringOf(processor.leaves), "AMD Turion(tm) 64 X2 Mobile Technology TL-56");
    // FID and VID control for the program to steer.
    EXPECT_EQ(LeafOf(processor.leaves, 0x80000007).edx & 6, 6u);
    // Package type S1g1 (signature bits 5:4 = 0) and the TL-56's brand id.
    EXPECT_EQ(LeafOf(processor.leaves, 0x80000001).ebx & 0xFFFF, 0x059Bu);
  }
  EXPECT_EQ(machine->processors[1].apicId, 1u);
  // Node 0's northbridge, reporting a dual-core part in F3xE8 CmpCap.
  const auto* f3 = FindPciDevice(*machine, 0, 0x18 * 8 + 3);
  ASSERT_NE(f3, nullptr);
  EXPECT_EQ(ReadConfig32(*f3, 0) >> 16, 0x1103u);
  EXPECT_EQ(ReadConfig32(*f3, 0xE8) >> 12 & 3, 1u);
  for (uint32_t function = 0; function < 3; ++function)
    EXPECT_NE(FindPciDevice(*machine, 0, 0x18 * 8 + function), nullptr);
  EXPECT_TRUE(machine->system64);
}

TEST(Catalogue, ComposedK7AndTransmetaReportTheirPowerControls) {
  const auto k7 = FindCatalogueMachine("k7-mobile-laptop");
  ASSERT_TRUE(k7.has_value());
  const auto& k7Leaves = k7->processors[0].leaves;
  EXPECT_EQ(LeafOf(k7Leaves, 0x80000007).edx & 6, 6u);  // PowerNow! FID and VID control
  EXPECT_NE(BrandStringOf(k7Leaves).find("XP-M"), std::string::npos);
  EXPECT_TRUE(k7->pciDevices.size() == 1);  // no K8 northbridge on a K7

  const auto crusoe = FindCatalogueMachine("transmeta");
  ASSERT_TRUE(crusoe.has_value());
  const auto& leaves = crusoe->processors[0].leaves;
  EXPECT_EQ(LeafOf(leaves, kTransmetaLeafBase).eax, kTransmetaLeafBase + 7);
  for (uint32_t leaf = kTransmetaLeafBase; leaf <= kTransmetaLeafBase + 7; ++leaf)
    EXPECT_TRUE(HasLeaf(leaves, leaf)) << std::hex << leaf;
  // LongRun and its table interface (80860001h EDX bits 1 and 3), TM5800 generation.
  EXPECT_EQ(LeafOf(leaves, kTransmetaLeafBase + 1).edx & 0xA, 0xAu);
  EXPECT_EQ(LeafOf(leaves, kTransmetaLeafBase + 1).ebx >> 16, 0x0104u);
  EXPECT_EQ(LeafOf(leaves, kExtendedLeafBase + 6).ecx >> 16, 512u);
  EXPECT_EQ(crusoe->pciDevices.size(), 3u);
}

TEST(Catalogue, IntelLaptopsCarryTheirHubWithAcpiDecodeOn) {
  struct Hub {
    const char* machine;
    uint16_t deviceId;
    uint8_t enableMask;
  };
  for (const auto& hub :
       {Hub{"pentium-m-laptop", 0x24CC, 0x10}, Hub{"core-duo-laptop", 0x27B9, 0x80},
        Hub{"core2-duo-laptop", 0x2815, 0x80}}) {
    SCOPED_TRACE(hub.machine);
    const auto machine = FindCatalogueMachine(hub.machine);
    ASSERT_TRUE(machine.has_value());
    const auto* lpc = FindPciDevice(*machine, 0, 0x1F * 8);
    ASSERT_NE(lpc, nullptr);
    EXPECT_EQ(ReadConfig32(*lpc, 0), 0x8086u | uint32_t{hub.deviceId} << 16);
    EXPECT_EQ(ReadConfig32(*lpc, 0x40) & 0xFF80, 0x1000u);
    EXPECT_EQ(lpc->config[0x44] & hub.enableMask, hub.enableMask);
  }
}

TEST(Catalogue, DefaultMachineAndLookUpByNameOrPath) {
  EXPECT_STREQ(kDefaultCatalogueMachine, "k8-x2-laptop");
  const auto byDefault = LoadMachine("");
  ASSERT_TRUE(byDefault.ok());
  EXPECT_EQ(byDefault.value().name, "k8-x2-laptop");
  EXPECT_FALSE(FindCatalogueMachine("k9-desktop").has_value());

  testing::TempFolder folder;
  const auto file = folder.Write("desk.test",
                                 "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
                                 "CPUID 00000001: 00020FF0-00000800-00000001-078BFBFF\n");
  const auto fromFile = LoadMachine(file);
  ASSERT_TRUE(fromFile.ok()) << fromFile.error().ToString();
  EXPECT_EQ(fromFile.value().name, "desk");
  const auto missing = LoadMachine("k9-desktop");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().file, "k9-desktop");
}

}  // namespace
}  // namespace pacetta::sim
