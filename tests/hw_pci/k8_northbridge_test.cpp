#include "hw/k8_northbridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/hw_pci/sim_rig.h"

namespace pacetta {
namespace {

using testing::PciFunction;
using testing::SimRig;

// Two nodes whose function 3 registers differ: node n's bytes are offset + n.
sim::MachineSpec TwoNodeMachine() {
  sim::MachineSpec machine;
  machine.processors.resize(2);
  for (uint32_t node = 0; node < 2; ++node) {
    std::vector<uint8_t> config(256);
    for (unsigned i = 0; i < 256; ++i) config[i] = static_cast<uint8_t>(i + node);
    machine.pciDevices.push_back(PciFunction(0, (0x18 + node) * 8 + 3, config));
  }
  return machine;
}

class K8Northbridge : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.opened); }
  SimRig rig{TwoNodeMachine()};
  CK8Northbridge northbridge{rig.driver};
};

TEST_F(K8Northbridge, NodeSelectsDeviceEighteenPlusNodeFunctionThree) {
  ASSERT_TRUE(northbridge.SelectedLocation().has_value());
  EXPECT_EQ(northbridge.SelectedLocation()->devfn, 0xC3u);
  EXPECT_EQ(northbridge.ReadDword(0, 0xE4), 0xE7E6E5E4u);
  EXPECT_EQ(northbridge.ReadDword(1, 0xE4), 0xE8E7E6E5u);
  EXPECT_EQ(northbridge.SelectedLocation()->devfn, 0xCBu);
  EXPECT_EQ(rig.Requests()[2].words[1], 0x8000CBE4u);
}

TEST_F(K8Northbridge, ASessionKeepsItsNodeForReadModifyWrite) {
  auto session = northbridge.Select(1);
  ASSERT_TRUE(session.HasDevice());
  const uint32_t value = session.ReadDword(0xE4);
  EXPECT_TRUE(session.WriteDword(0xE4, value | 0x2));
  EXPECT_EQ(session.ReadDword(0xE4), 0xE8E7E6E7u);
  EXPECT_EQ(session.ReadByte(0xE4), 0xE7u);
  EXPECT_TRUE(session.WriteWord(0xE6, 0xBEEF));
  EXPECT_EQ(session.ReadWord(0xE6), 0xBEEFu);
  EXPECT_TRUE(session.WriteByte(0xE7, 0x12));
  EXPECT_EQ(session.ReadDword(0xE4), 0x12EFE6E7u);
}

TEST_F(K8Northbridge, ANodeAboveSevenHasNoDeviceAndSendsNothing) {
  for (uint32_t node : {8u, 200u, 0xFFFFFFFFu}) {
    auto session = northbridge.Select(node);
    EXPECT_FALSE(session.HasDevice());
    EXPECT_EQ(session.ReadDword(0xE4), 0u);
    EXPECT_EQ(session.ReadByte(0xE4), 0u);
    EXPECT_FALSE(session.WriteDword(0xE4, 1));
    EXPECT_FALSE(session.WriteByte(0xE4, 1));
  }
  EXPECT_FALSE(northbridge.SelectedLocation().has_value());
  EXPECT_TRUE(rig.Requests().empty());
  // Selecting a real node again works as before.
  EXPECT_EQ(northbridge.ReadDword(0, 0x00), 0x03020100u);
}

// Each configuration access is two requests on the one device; without the lock another
// thread's address write between them would make a read land on the wrong node.
TEST_F(K8Northbridge, ThreadsOnDifferentNodesNeverSeeEachOthersRegisters) {
  std::atomic<int> wrong{0};
  auto reader = [&](uint32_t node) {
    for (int i = 0; i < 2000; ++i) {
      if (northbridge.ReadDword(node, 0x10) != 0x13121110u + node * 0x01010101u) ++wrong;
    }
  };
  std::thread first(reader, 0), second(reader, 1);
  first.join();
  second.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace pacetta
