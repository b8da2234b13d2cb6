#include "hw/pci_bus_manager.h"

#include <gtest/gtest.h>

#include "tests/hw_pci/sim_rig.h"

namespace pacetta {
namespace {

using testing::PciFunction;
using testing::SentRequest;
using testing::SimRig;

constexpr PciLocation kMiscControl{0, 0xC3};  // node 0, function 3

sim::MachineSpec MachineWithNorthbridge() {
  sim::MachineSpec machine;
  machine.processors.resize(1);
  std::vector<uint8_t> hostBridge(256, 0);
  hostBridge[0x00] = 0x22, hostBridge[0x01] = 0x10;  // vendor 0x1022
  hostBridge[0x02] = 0x03, hostBridge[0x03] = 0x11;  // device 0x1103
  hostBridge[0x08] = 0x07;                           // revision
  hostBridge[0x2C] = 0x78, hostBridge[0x2D] = 0x56, hostBridge[0x2E] = 0x34,
  hostBridge[0x2F] = 0x12;
  machine.pciDevices = {PciFunction(0, 0x00, hostBridge), PciFunction(0, 0xC3),
                        PciFunction(1, 0x08)};
  return machine;
}

class PciBusManager : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.opened); }

  SimRig rig{MachineWithNorthbridge()};
  CPCIBusManager pci{rig.driver};
};

TEST_F(PciBusManager, ReadsSelectTheDoubleWordThenUseTheByteLane) {
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x8A), 0x8Au);
  auto requests = rig.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].code, driver::kWritePortDword);
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{0xCF8, 0x8000C388}));
  EXPECT_EQ(requests[1].code, driver::kReadPortByte);
  EXPECT_EQ(requests[1].words[0], 0xCFEu);

  EXPECT_EQ(pci.ReadConfigDword(kMiscControl, 0xE4), 0xE7E6E5E4u);
  requests = rig.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{0xCF8, 0x8000C3E4}));
  EXPECT_EQ(requests[1].code, driver::kReadPortDword);
  EXPECT_EQ(requests[1].words[0], 0xCFCu);

  EXPECT_EQ(pci.ReadConfigWord(kMiscControl, 0x42), 0x4342u);
  requests = rig.Requests();
  EXPECT_EQ(requests[1].code, driver::kReadPortWord);
  EXPECT_EQ(requests[1].words[0], 0xCFEu);
}

TEST_F(PciBusManager, AbsentFunctionReadsAllOnesAndOnlyTheLowBusByteCounts) {
  EXPECT_EQ(pci.ReadConfigWord({0, 0x20}, 0x02), 0xFFFFu);
  // Bus 0x101 is bus 1: the function at 01:01.0 answers.
  EXPECT_EQ(pci.ReadConfigByte({0x101, 0x08}, 0x10), 0x10u);
  EXPECT_EQ(rig.Requests()[2].words[1], 0x80010810u);
}

TEST_F(PciBusManager, WritesReachTheRegisterWithTheirWidthOnly) {
  EXPECT_TRUE(pci.WriteConfigDword(kMiscControl, 0x40, 0xA1B2C3D4));
  EXPECT_TRUE(pci.WriteConfigWord(kMiscControl, 0x46, 0x12345678));
  EXPECT_TRUE(pci.WriteConfigByte(kMiscControl, 0x49, 0x1FF));
  const auto requests = rig.Requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(requests[1].code, driver::kWritePortDword);
  EXPECT_EQ(requests[1].words, (std::vector<uint32_t>{0xCFC, 0xA1B2C3D4}));
  EXPECT_EQ(requests[3].code, driver::kWritePortWord);
  EXPECT_EQ(requests[3].words[0], 0xCFEu);
  EXPECT_EQ(requests[5].code, driver::kWritePortByte);
  EXPECT_EQ(requests[5].words, (std::vector<uint32_t>{0xCFD, 0xFF}));

  EXPECT_EQ(pci.ReadConfigDword(kMiscControl, 0x40), 0xA1B2C3D4u);
  EXPECT_EQ(pci.ReadConfigDword(kMiscControl, 0x44), 0x56784544u);
  EXPECT_EQ(pci.ReadConfigDword(kMiscControl, 0x48), 0x4B4AFF48u);
}

TEST_F(PciBusManager, UnaddressableLocationsAndRegistersAreRefusedWithoutRequests) {
  // Device-function 0x1C3 would put bit 8 into the bus number and reach bus 1.
  EXPECT_EQ(pci.ReadConfigDword({0, 0x1C3}, 0x00), 0u);
  EXPECT_FALSE(pci.WriteConfigDword({0, 0x1C3}, 0x40, 1));
  // Register 0x140 would alias register 0x40.
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x140), 0u);
  EXPECT_FALSE(pci.WriteConfigByte(kMiscControl, 0x140, 1));
  EXPECT_TRUE(rig.Requests().empty());
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x40), 0x40u);
}

TEST_F(PciBusManager, DefaultLocationAndIdentity) {
  EXPECT_EQ(pci.DefaultLocation().bus, 0u);
  EXPECT_EQ(pci.DefaultLocation().devfn, 0u);
  EXPECT_EQ(pci.ReadVendorId(), 0x1022u);
  EXPECT_EQ(pci.ReadDeviceId(), 0x1103u);
  rig.Requests();

  PciIdentity identity;
  pci.ReadIdentity(identity);
  EXPECT_EQ(identity.vendorId, 0x1022u);
  EXPECT_EQ(identity.deviceId, 0x1103u);
  EXPECT_EQ(identity.subsystem, 0x12345678u);
  EXPECT_EQ(identity.revision, 0x07u);
  // Vendor, device, subsystem, revision: the address words show the order.
  std::vector<uint32_t> addresses;
  for (const SentRequest& request : rig.Requests()) {
    if (request.code == driver::kWritePortDword) addresses.push_back(request.words[1]);
  }
  EXPECT_EQ(addresses, (std::vector<uint32_t>{0x80000000, 0x80000000, 0x8000002C, 0x80000008}));

  pci.SetDefaultLocation(kMiscControl);
  EXPECT_EQ(pci.ReadConfigByte(0x8A), 0x8Au);
  EXPECT_TRUE(pci.WriteConfigByte(0x8A, 0x11));
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x8A), 0x11u);
}

TEST(PciBusManagerFailures, FailedPortRequestsReadZero) {
  sim::SimFaults faults;
  faults.failingRequests = {driver::kReadPortDword};
  SimRig rig(MachineWithNorthbridge(), faults);
  ASSERT_TRUE(rig.opened);
  CPCIBusManager pci(rig.driver);
  EXPECT_EQ(pci.ReadConfigDword(kMiscControl, 0x40), 0u);
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x41), 0x41u);

  // Without an open driver nothing reaches the device.
  rig.driver.Close(false);
  rig.Requests();
  EXPECT_EQ(pci.ReadConfigByte(kMiscControl, 0x41), 0u);
  EXPECT_TRUE(rig.Requests().empty());
}

}  // namespace
}  // namespace pacetta
