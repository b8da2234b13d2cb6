#include "hw/topology.h"

#include <gtest/gtest.h>

#include <vector>

#include "fake_platform.h"
#include "hw/k8_northbridge_devfn.h"
#include "hw/pinning.h"

namespace pacetta {
namespace {

using platform::CpuidResult;
using testing::FakePlatform;

constexpr CpuidResult kIntel{0, 0x756E6547u, 0x6C65746Eu, 0x49656E69u};
constexpr CpuidResult kAmd{0, 0x68747541u, 0x444D4163u, 0x69746E65u};

// One logical processor as its identification leaves describe it.
struct Logical {
  CpuidResult vendor;
  uint32_t maxLeaf;
  uint32_t signature;
  uint32_t logicalPerPackage;
  uint32_t apicId;
  std::optional<uint32_t> intelLeaf4Eax;     // cores - 1 in bits 31..26
  std::optional<uint32_t> amdCoresMinusOne;  // leaf 0x80000008 ECX
};

void Describe(FakePlatform& fake, const std::vector<Logical>& cpus) {
  fake.processors.systemCount = static_cast<unsigned>(cpus.size());
  fake.processors.systemMask = fake.processors.processMask = (uint64_t{1} << cpus.size()) - 1;
  for (unsigned k = 0; k < cpus.size(); ++k) {
    auto& leaves = fake.cpu.leaves[k];
    CpuidResult leaf0 = cpus[k].vendor;
    leaf0.eax = cpus[k].maxLeaf;
    leaves[{0, 0}] = leaf0;
    leaves[{1, 0}] = {cpus[k].signature,
                      cpus[k].apicId << 24 | cpus[k].logicalPerPackage << 16 | 0x0800, 0, 0};
    if (cpus[k].intelLeaf4Eax) leaves[{4, 0}] = {*cpus[k].intelLeaf4Eax, 0, 0, 0};
    if (cpus[k].amdCoresMinusOne) {
      leaves[{0x80000000u, 0}] = {0x80000018u, 0, 0, 0};
      leaves[{0x80000008u, 0}] = {0x3030, 0, *cpus[k].amdCoresMinusOne, 0};
    }
  }
}

struct Expected {
  uint32_t packageId;
  uint32_t isSecondary;
  int32_t partner;
};

void ExpectTopology(FakePlatform& fake, const std::vector<Expected>& expected) {
  std::vector<CpuInfo> records(expected.size());
  AssignTopology(fake.view, records);
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(records[k].index, k);
    EXPECT_EQ(records[k].packageId, expected[k].packageId);
    EXPECT_EQ(records[k].isSecondary, expected[k].isSecondary);
    EXPECT_EQ(records[k].partnerIndex, expected[k].partner);
  }
  // Each processor was asked on itself, and the thread ends unpinned.
  std::vector<unsigned> order(expected.size());
  for (unsigned k = 0; k < order.size(); ++k) order[k] = k;
  EXPECT_EQ(fake.cpu.askedOn, order);
  EXPECT_EQ(fake.processors.threadMask, fake.processors.processMask);
}

TEST(Topology, HyperThreadingOnOneCorePairsTheTwoThreads) {
  FakePlatform fake;
  // Pentium 4 HT: no leaf 4, two logical processors per package.
  Describe(fake, {{kIntel, 2, 0xF29, 2, 0, {}, {}}, {kIntel, 2, 0xF29, 2, 1, {}, {}}});
  ExpectTopology(fake, {{0, 0, 1}, {0, 1, 0}});
}

TEST(Topology, TwoDualCoreAmdPackagesFormTwoPairs) {
  FakePlatform fake;
  std::vector<Logical> cpus;
  for (uint32_t apic = 0; apic < 4; ++apic) cpus.push_back({kAmd, 1, 0x20FB1, 2, apic, {}, 1});
  Describe(fake, cpus);
  ExpectTopology(fake, {{0, 0, 1}, {0, 1, 0}, {1, 0, 3}, {1, 1, 2}});
}

TEST(Topology, FamilyFifteenTwoCoresWithoutHyperThreadingStayApart) {
  FakePlatform fake;
  // Pentium D 820 as read on real hardware: leaf 4 EAX 04000121h = two cores.
  Describe(fake,
           {{kIntel, 5, 0xF44, 2, 0, 0x04000121u, {}}, {kIntel, 5, 0xF44, 2, 1, 0x04000121u, {}}});
  ExpectTopology(fake, {{0, 0, -1}, {1, 0, -1}});
}

TEST(Topology, FamilySixTwoCoresShareOneControl) {
  FakePlatform fake;
  Describe(fake, {{kIntel, 10, 0x6FB, 2, 0, 0x04000121u, {}},
                  {kIntel, 10, 0x6FB, 2, 1, 0x04000121u, {}}});
  ExpectTopology(fake, {{0, 0, 1}, {0, 1, 0}});
}

TEST(Topology, TwoSingleCoreK8sAreTwoNodes) {
  FakePlatform fake;
  Describe(fake, {{kAmd, 1, 0xF4A, 1, 0, {}, 0}, {kAmd, 1, 0xF4A, 1, 1, {}, 0}});
  ExpectTopology(fake, {{0, 0, -1}, {1, 0, -1}});
  EXPECT_EQ(NorthbridgeDevfn(0, kK8MiscControlFunction), 0x18u * 8 + 3);
  EXPECT_EQ(NorthbridgeDevfn(1, kK8MiscControlFunction), 0x19u * 8 + 3);
}

TEST(Topology, NoStandardLeavesOrAnotherVendorMeansUnpaired) {
  FakePlatform fake;
  const CpuidResult via{0, 0x746E6543u, 0x736C7561u, 0x48727561u};  // "CentaurHauls"
  Describe(fake, {{kIntel, 0, 0xF29, 2, 1, {}, {}}, {via, 1, 0x6A9, 2, 1, {}, {}}});
  ExpectTopology(fake, {{0, 0, -1}, {1, 0, -1}});
}

TEST(Topology, AThirdMemberOfAGroupIsNobodysPartner) {
  std::vector<CpuInfo> records(3);
  records[1].isSecondary = records[2].isSecondary = 1;
  LinkPartners(records);
  EXPECT_EQ(records[0].partnerIndex, 1);
  EXPECT_EQ(records[1].partnerIndex, 0);
  EXPECT_EQ(records[2].partnerIndex, 0);
}

TEST(Pinning, PinsToTheProcessorModuloThirtyTwoThenYields) {
  FakePlatform fake;
  fake.processors.processMask = 0x3;
  PinToProcessor(fake.processors, 33);
  UnpinThread(fake.processors);
  EXPECT_EQ(fake.processors.log, (std::vector<std::string>{"pin 2", "yield", "pin 3", "yield"}));
}

TEST(ProcessorSet, AllProcessorsMustBeAvailableAndAtMostThirtyTwoAreUsed) {
  FakePlatform fake;
  fake.processors.systemCount = 40;
  fake.processors.systemMask = fake.processors.processMask = 0xFF'FFFF'FFFFull;
  EXPECT_EQ(UsableProcessorCount(fake.processors), 32u);
  EXPECT_TRUE(AllProcessorsAvailable(fake.processors));
  fake.processors.processMask = 0xFF'FFFF'FFFEull;
  EXPECT_FALSE(AllProcessorsAvailable(fake.processors));
}

TEST(NorthbridgeLocation, NodesBeyondSevenHaveNoDeviceFunction) {
  EXPECT_EQ(NorthbridgeDevfn(7, 7), 0xFFu);
  EXPECT_EQ(NorthbridgeDevfn(8, 0), std::nullopt);
  EXPECT_EQ(NorthbridgeDevfn(0xFFFFFFFFu, 3), std::nullopt);  // must not wrap into range
  EXPECT_EQ(NorthbridgeDevfn(0, 8), std::nullopt);            // not a PCI function
}

}  // namespace
}  // namespace pacetta
