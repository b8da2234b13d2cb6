// The two raw CPUID text forms, their sections, and the machines a processor type builds.
#include <gtest/gtest.h>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

MachineSpec Parse(const std::string& text) {
  auto machine = ParseMachineText(text, "test.txt");
  EXPECT_TRUE(machine.ok()) << machine.error().ToString();
  return machine.ok() ? std::move(machine).value() : MachineSpec{};
}

// A Core 2 Duo's leaves in both forms; leaf 4 has two sub-leaves.
constexpr const char* kIndexedForm =
    "basic_cpuid[0]=0000000a 756e6547 6c65746e 49656e69\n"
    "basic_cpuid[1]=000006fa 00020800 0000e3bd bfebfbff\n"
    "basic_cpuid[4]=04000121 01c0003f 0000003f 00000001\n"
    "ext_cpuid[0]=80000008 00000000 00000000 00000000\n"
    "ext_cpuid[8]=00003024 00000000 00000000 00000000\n"
    "intel_fn4[0]=04000121 01c0003f 0000003f 00000001\n"
    "intel_fn4[1]=04000122 01c0003f 0000003f 00000001\n"
    "--------------------------------------------------------------------------------\n"
    "x86\n";
constexpr const char* kCpuidForm =
    "CPUID 00000000: 0000000A-756E6547-6C65746E-49656E69\n"
    "CPUID 00000001  000006FA-00020800-0000E3BD-BFEBFBFF\n"
    "CPUID 00000004: 04000121-01C0003F-0000003F-00000001\n"
    "CPUID 00000004:\t04000122-01C0003F-0000003F-00000001\n"
    "CPUID 80000000: 80000008-00000000-00000000-00000000 [max]\n"
    "CPUID 80000008: 00003024-00000000-00000000-00000000\n";

TEST(RawFormats, BothFormsOfTheSameLeavesGiveTheSameMachine) {
  const auto indexed = Parse(kIndexedForm);
  const auto cpuid = Parse(kCpuidForm);
  ASSERT_EQ(indexed.processors.size(), 2u);
  ASSERT_EQ(cpuid.processors.size(), indexed.processors.size());
  for (size_t k = 0; k < indexed.processors.size(); ++k) {
    EXPECT_EQ(indexed.processors[k].apicId, cpuid.processors[k].apicId);
    EXPECT_TRUE(testing::SameLeaves(indexed.processors[k].leaves, cpuid.processors[k].leaves));
  }
  EXPECT_EQ(LeafOf(cpuid.processors[0].leaves, 4, 1).eax, 0x04000122u);
  EXPECT_EQ(indexed.description, cpuid.description);
}

TEST(RawFormats, SubLeafRemarksAndFnLeavesNameTheirSubLeaf) {
  const auto remarked = Parse(
      "CPUID 00000000: 0000000D-68747541-444D4163-69746E65\n"
      "CPUID 0000000D: 00000207-00000340-00000988-00000000 [SL 00] [x87]\n"
      "CPUID 0000000D: 00000008-00000980-00000000-00000000 [SL 09] [PKRU]\n");
  EXPECT_EQ(LeafOf(remarked.processors[0].leaves, 0xD, 9).eax, 8u);
  EXPECT_FALSE(HasLeaf(remarked.processors[0].leaves, 0xD, 1));

  // "<vendor>_fn<leaf>[sub]": decimal leaf numbers, or hexadecimal with a trailing 'h'.
  const auto fn = Parse(
      "basic_cpuid[0]=00000001 68747541 444d4163 69746e65\n"
      "intel_fn11[1]=00000004 00000010 00000201 00000000\n"
      "amd_fn8000001dh[3]=0003c163 03c0003f 00003fff 00000001\n");
  EXPECT_EQ(LeafOf(fn.processors[0].leaves, 0xB, 1).ecx, 0x201u);
  EXPECT_EQ(LeafOf(fn.processors[0].leaves, 0x8000001D, 3).eax, 0x0003C163u);
}

TEST(RawFormats, SectionsComeInNumberOrderWhateverTheFileOrder) {
  const auto machine = Parse(
      "------[ Logical CPU #1 ]------\n"
      "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
      "CPUID 00000001: 00020FB1-01020800-00000001-178BFBFF\n"
      "------[ Logical CPU #0 ]------\n"
      "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
      "CPUID 00000001: 00020FB1-00020800-00000001-178BFBFF\n");
  ASSERT_EQ(machine.processors.size(), 2u);
  EXPECT_EQ(machine.processors[0].apicId, 0u);
  EXPECT_EQ(machine.processors[1].apicId, 1u);
}

// A Pentium III board: leaf 1 EBX holds no APIC id, so the processors take the order in
// which the dump lists them. Their leaves stay as dumped. (A K8 pair that both read id 0
// is still refused: that processor does report its id.)
TEST(RawFormats, ProcessorsWithoutApicIdsAreNumberedInDumpOrder) {
  const auto machine = Parse(
      "CPUID Registers (CPU #1):\n"
      "CPUID 00000000: 00000003-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 00000673-00000000-00000000-0387FBFF\n"
      "CPUID Registers (CPU #2):\n"
      "CPUID 00000000: 00000003-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 00000673-00000000-00000000-0387FBFF\n");
  ASSERT_EQ(machine.processors.size(), 2u);
  for (uint32_t k = 0; k < 2; ++k) {
    EXPECT_EQ(machine.processors[k].apicId, k);
    EXPECT_EQ(LeafOf(machine.processors[k].leaves, 1).ebx, 0u);
  }
}

// Without sections, leaves 1 and 4 say how many threads and cores one package has.
TEST(RawFormats, HyperThreadingPackageGetsSiblingsWithConsecutiveIds) {
  // A Pentium 4 with Hyper-Threading: 2 logical, 1 core (leaf 4 EAX[31:26] = 0).
  const auto machine = Parse(
      "CPUID 00000000: 00000005-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 00000F34-00020800-0000441D-BFEBFBFF\n"
      "CPUID 00000004: 00004121-01C0003F-0000001F-00000000\n");
  ASSERT_EQ(machine.processors.size(), 2u);
  EXPECT_EQ(machine.processors[1].apicId, 1u);
  EXPECT_EQ(LeafOf(machine.processors[1].leaves, 1).ebx, 0x01020800u);

  // Two cores with two threads each (Pentium Extreme Edition): thread bit below the core.
  const auto ee = Parse(
      "CPUID 00000000: 00000005-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 00000F44-00040800-0000641D-BFEBFBFF\n"
      "CPUID 00000004: 04000121-01C0003F-0000001F-00000000\n");
  ASSERT_EQ(ee.processors.size(), 4u);
  for (uint32_t k = 0; k < 4; ++k) EXPECT_EQ(ee.processors[k].apicId, k);

  // Leaf 1 EDX bit 28 clear: one logical processor, whatever EBX[23:16] holds.
  const auto single = Parse(
      "CPUID 00000000: 00000002-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 000006D6-00020816-00000180-AFE9F9BF\n");
  EXPECT_EQ(single.processors.size(), 1u);
}

TEST(RawFormats, TopologyLeafGivesX2ApicIdsToEveryThread) {
  // Two cores of two threads: thread level shift 1, package level 4 logical processors.
  const auto machine = Parse(
      "CPUID 00000000: 0000000B-756E6547-6C65746E-49656E69\n"
      "CPUID 00000001: 000106A5-00040800-00000000-BFEBFBFF\n"
      "CPUID 0000000B: 00000001-00000002-00000100-00000000 [SL 00]\n"
      "CPUID 0000000B: 00000004-00000004-00000201-00000000 [SL 01]\n");
  ASSERT_EQ(machine.processors.size(), 4u);
  for (uint32_t k = 0; k < 4; ++k) {
    const auto& leaves = machine.processors[k].leaves;
    EXPECT_EQ(machine.processors[k].apicId, k);
    EXPECT_EQ(LeafOf(leaves, 0xB, 0).edx, k);
    EXPECT_EQ(LeafOf(leaves, 0xB, 1).edx, k);
    EXPECT_EQ(LeafOf(leaves, 1).ebx >> 24, k);
  }

  // A thread level that claims two threads in no id bits cannot give distinct ids.
  const auto clash = ParseMachineText(
      "CPUID 00000000: 0000000B-756E6547-6C65746E-49656E69\n"
      "CPUID 0000000B: 00000000-00000002-00000100-00000000 [SL 00]\n"
      "CPUID 0000000B: 00000001-00000004-00000201-00000000 [SL 01]\n",
      "clash.txt");
  ASSERT_FALSE(clash.ok());
  EXPECT_EQ(clash.error().line, 1);
}

TEST(RawFormats, DualCoreK8WithoutSectionsIsOneNodeWithTwoCores) {
  const auto machine = Parse(
      "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
      "CPUID 00000001: 00020FB1-00020800-00000001-178BFBFF\n"
      "CPUID 80000000: 80000008-68747541-444D4163-69746E65\n"
      "CPUID 80000008: 00003028-00000000-00000001-00000000\n");
  ASSERT_EQ(machine.processors.size(), 2u);
  EXPECT_EQ(machine.processors[1].apicId, 1u);
  ASSERT_EQ(machine.pciDevices.size(), 4u);
  EXPECT_EQ(machine.pciDevices[0].config[0x60], 0u);  // node 0 of 1
}

}  // namespace
}  // namespace pacetta::sim
