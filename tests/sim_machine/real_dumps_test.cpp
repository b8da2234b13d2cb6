// Every real dump of the shared folder, in each of its layouts, reads into a machine with
// the processor count that the dump's own derived values imply and with distinct APIC ids.
#include <gtest/gtest.h>

#include <set>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

using testing::DerivedValues;
using testing::ReadText;
using testing::SharedDumps;

TEST(RealDumps, EveryDumpGivesItsLogicalProcessorsWithDistinctApicIds) {
  const auto dumps = SharedDumps();
  if (dumps.empty()) GTEST_SKIP() << "no shared CPUID dumps beside the repository";
  for (const auto& path : dumps) {
    SCOPED_TRACE(path.filename().string());
    const auto machine = LoadMachineFile(path.string());
    ASSERT_TRUE(machine.ok()) << machine.error().ToString();
    const auto& processors = machine.value().processors;

    // The derived "logical processors" value counts one package, and every dump here is
    // of a one-package machine, so the machine has exactly that many processors. (Of the
    // hybrid parts in modern/, it counts one core type only.)
    const auto derived = DerivedValues(ReadText(path));
    ASSERT_GT(derived.size(), testing::kDerivedLogicalProcessors);
    if (path.parent_path().filename() != "modern") {
      EXPECT_EQ(processors.size(), std::stoul(derived[testing::kDerivedLogicalProcessors]));
    }

    std::set<uint32_t> apicIds, initialApicIds;
    for (const auto& processor : processors) {
      apicIds.insert(processor.apicId);
      initialApicIds.insert(LeafOf(processor.leaves, 1).ebx >> 24);
      EXPECT_EQ(VendorOf(processor.leaves), VendorOf(processors.front().leaves));
      EXPECT_EQ(SignatureOf(processor.leaves), SignatureOf(processors.front().leaves));
    }
    EXPECT_EQ(apicIds.size(), processors.size());
    EXPECT_EQ(initialApicIds.size(), processors.size());
    EXPECT_EQ(machine.value().name, path.stem().string());
  }
}

// Dumps of one processor type without sections: the machine has every core the leaves
// report, numbered as the vendor numbers APIC ids.
TEST(RealDumps, DumpsWithoutSectionsBuildEveryCore) {
  const auto folder = testing::SharedDumpFolder();
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared CPUID dumps";
  const auto quad = LoadMachineFile((folder / "intel-core2-quad-cpu-q6600.test").string());
  ASSERT_TRUE(quad.ok()) << quad.error().ToString();
  ASSERT_EQ(quad.value().processors.size(), 4u);
  for (uint32_t k = 0; k < 4; ++k) {
    EXPECT_EQ(quad.value().processors[k].apicId, k);
    EXPECT_EQ(LeafOf(quad.value().processors[k].leaves, 1).ebx >> 24, k);
    // Everything but the APIC id is the dump's: leaf 4's sub-leaves and the rest.
    EXPECT_EQ(LeafOf(quad.value().processors[k].leaves, 4, 2).eax, 0x0C004143u);
  }

  // The Core Duo's dump lists leaf 0Bh although its highest leaf is 0Ah; the leaf is kept
  // as dumped (what the processor answers) and the topology comes from leaves 1 and 4.
  const auto duo = LoadMachineFile((folder / "intel-core-duo-cpu-t2600.test").string());
  ASSERT_TRUE(duo.ok());
  ASSERT_EQ(duo.value().processors.size(), 2u);
  EXPECT_EQ(LeafOf(duo.value().processors[1].leaves, 0xB, 0).edx, 0u);
  EXPECT_EQ(duo.value().processors[1].apicId, 1u);
}

TEST(RealDumps, SectionedDumpsKeepSubLeavesAndSectionOrder) {
  const auto folder = testing::SharedDumpFolder();
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared CPUID dumps";
  // "[SL 0B]" names the sub-leaf; leaf 0Dh skips from 2 to 9.
  const auto ryzen =
      LoadMachineFile((folder / "amd-ryzen-7-5800h-with-radeon-graphics.test").string());
  ASSERT_TRUE(ryzen.ok()) << ryzen.error().ToString();
  const auto& leaves = ryzen.value().processors[3].leaves;
  EXPECT_EQ(LeafOf(leaves, 0xD, 0xB).eax, 0x10u);
  EXPECT_FALSE(HasLeaf(leaves, 0xD, 3));
  EXPECT_EQ(LeafOf(leaves, 0x8000001D, 3).eax, 0x0003C163u);
  EXPECT_EQ(ryzen.value().processors[3].apicId, 3u);  // x2APIC id of leaf 0Bh

  // Repeated "CPUID 00000004" lines without remarks are sub-leaves 0 and 1, and the
  // second "CPUID Registers (CPU #2 Virtual)" section is the Hyper-Threading sibling.
  const auto p4 = LoadMachineFile((folder / "intel-pentium-4-cpu-3.00ghz.test").string());
  ASSERT_TRUE(p4.ok()) << p4.error().ToString();
  ASSERT_EQ(p4.value().processors.size(), 2u);
  EXPECT_EQ(LeafOf(p4.value().processors[0].leaves, 4, 1).eax, 0x00004143u);
  EXPECT_EQ(p4.value().processors[1].apicId, 1u);
}

TEST(RealDumps, K8DumpsGetTheirNorthbridgeFunctions) {
  const auto folder = testing::SharedDumpFolder();
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no shared CPUID dumps";
  const auto x2 =
      LoadMachineFile((folder / "amd-athlon-64-x2-dual-core-processor-3800+.test").string());
  ASSERT_TRUE(x2.ok());
  ASSERT_EQ(x2.value().pciDevices.size(), 4u);  // node 0, functions 0..3
  for (uint32_t function = 0; function < 4; ++function) {
    const auto& device = x2.value().pciDevices[function];
    EXPECT_EQ(device.devfn, 0x18 * 8 + function);
    EXPECT_EQ(device.config[0] | device.config[1] << 8, 0x1022);
    EXPECT_EQ(device.config[2] | device.config[3] << 8, 0x1100 + static_cast<int>(function));
  }
  EXPECT_EQ(x2.value().pciDevices[3].config[0xE9] & 0x30, 0x10);  // dual core

  // Family 10h is no K8: no northbridge functions are invented for it.
  const auto phenom =
      LoadMachineFile((folder / "amd-phenom-9500-quad-core-processor.test").string());
  ASSERT_TRUE(phenom.ok());
  EXPECT_TRUE(phenom.value().pciDevices.empty());
}

}  // namespace
}  // namespace pacetta::sim
