#include "hw/physical_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/hw_pci/sim_rig.h"

namespace pacetta {
namespace {

using testing::SimRig;

sim::MachineSpec MachineWithBios() {
  sim::MachineSpec machine;
  machine.processors.resize(1);
  machine.biosArea.resize(0x10000);
  for (size_t i = 0; i < machine.biosArea.size(); ++i) {
    machine.biosArea[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  }
  return machine;
}

class PhysicalMemory : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.opened); }
  SimRig rig{MachineWithBios()};
};

TEST_F(PhysicalMemory, MapsTheBiosAreaForItsLifetimeAndUnmapsWithTheSameWords) {
  uint64_t mapping = 0;
  {
    CPhysicalMemory bios(rig.driver, 0xF0000, 0x10000);
    mapping = bios.GetMapping();
    ASSERT_NE(mapping, 0u);
    ASSERT_NE(bios.Data(), nullptr);
    EXPECT_EQ(bios.Size(), 0x10000u);
    EXPECT_TRUE(std::equal(rig.machine.biosArea.begin(), rig.machine.biosArea.end(), bios.Data()));

    const auto requests = rig.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, driver::kMapPhysicalMemory);
    ASSERT_EQ(requests[0].words.size(), 4u);
    EXPECT_EQ(requests[0].words[0], 0xF0000u);
    EXPECT_EQ(requests[0].words[1], 0u);
    EXPECT_EQ(requests[0].words[2], 0x10000u);
  }
  const auto requests = rig.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].code, driver::kUnmapPhysicalMemory);
  // Both halves of the 64-bit address go back, so the driver finds the mapping.
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{static_cast<uint32_t>(mapping),
                                                      static_cast<uint32_t>(mapping >> 32)}));
  EXPECT_TRUE(requests[0].succeeded);
}

TEST_F(PhysicalMemory, PartOfTheAreaStartsAtItsOwnOffset) {
  CPhysicalMemory tail(rig.driver, 0xFFFF0, 0x10);
  ASSERT_NE(tail.Data(), nullptr);
  EXPECT_EQ(tail.Data()[0], rig.machine.biosArea[0xFFF0]);
  EXPECT_EQ(tail.Data()[15], rig.machine.biosArea[0xFFFF]);
}

TEST_F(PhysicalMemory, AFailedMapHoldsNothingAndIsNeverUnmapped) {
  {
    CPhysicalMemory outside(rig.driver, 0xE0000, 0x20000);
    EXPECT_EQ(outside.GetMapping(), 0u);
    EXPECT_EQ(outside.Data(), nullptr);
    EXPECT_EQ(outside.Size(), 0u);
  }
  const auto requests = rig.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].code, driver::kMapPhysicalMemory);
  EXPECT_FALSE(requests[0].succeeded);
}

TEST_F(PhysicalMemory, AClosedDriverNeitherMapsNorUnmaps) {
  rig.driver.Close(false);
  rig.Requests();
  {
    CPhysicalMemory bios(rig.driver, 0xF0000, 0x10000);
    EXPECT_EQ(bios.Data(), nullptr);
  }
  EXPECT_TRUE(rig.Requests().empty());
}

}  // namespace
}  // namespace pacetta
