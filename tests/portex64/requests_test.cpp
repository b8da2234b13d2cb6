// Every request of the driver, answered by the real helper from the fake device tree.
#include <gtest/gtest.h>

#include <cstring>

#include "hw/driver_protocol.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

class HelperRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(helper_.Ready()) << helper_.Diagnostics();
    device_ = OpenHelperDevice(tree_);
    ASSERT_NE(device_, nullptr);
  }
  // Selects a configuration register as the program does: the address to 0xCF8.
  bool SelectConfig(uint32_t devfn, uint32_t reg) {
    return Request(*device_, driver::kWritePortDword,
                   {0xCF8, 0x80000000u | devfn << 8 | (reg & 0xFC)}, 2);
  }

  FakeTree tree_;
  HelperProcess helper_{tree_};
  std::unique_ptr<platform::Device> device_;
};

TEST_F(HelperRequestsTest, VersionIsOnePointFive) {
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kQueryVersion, {0, 0}, 2, &out));
  EXPECT_EQ(out, (std::vector<uint32_t>{1, 5}));
}

TEST_F(HelperRequestsTest, UseCountAnswersTheCountAfterTheChange) {
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2, &out));
  EXPECT_EQ(out[0], 1u);
  ASSERT_TRUE(Request(*device_, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2, &out));
  EXPECT_EQ(out[0], 2u);
  ASSERT_TRUE(Request(*device_, driver::kChangeUseCount, {driver::kUseCountTag, 0}, 2, &out));
  EXPECT_EQ(out[0], 2u);
  ASSERT_TRUE(Request(*device_, driver::kChangeUseCount,
                      {driver::kUseCountTag, static_cast<uint32_t>(-1)}, 2, &out));
  EXPECT_EQ(out[0], 1u);
}

TEST_F(HelperRequestsTest, MsrRequestsActOnTheProcessorTheCallerNames) {
  const unsigned last = tree_.Processors() - 1;
  tree_.SetMsr(0, 0xC0010042, 0x0000000A'0012'0C0Cull);
  tree_.SetMsr(last, 0xC0010042, 0x00000014'0000'0808ull);
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kReadMsr, {0xC0010042, ~0u, ~0u}, 3, &out));
  EXPECT_EQ(out, (std::vector<uint32_t>{0xC0010042, 0x0000000A, 0x00120C0C}));

  auto onLast = OpenHelperDevice(tree_, static_cast<int>(last));
  ASSERT_TRUE(Request(*onLast, driver::kReadMsr, {0xC0010042, ~0u, ~0u}, 3, &out));
  EXPECT_EQ(out[1], 0x14u);
  EXPECT_EQ(out[2], 0x0808u);

  // Write: index, high half, low half, in the register of that processor only.
  const uint64_t before = tree_.Msr(0, 0x199);
  ASSERT_TRUE(Request(*onLast, driver::kWriteMsr, {0x199, 0x00000001, 0x00000A1E}, 3));
  EXPECT_EQ(tree_.Msr(last, 0x199), 0x00000001'00000A1Eull);
  if (last != 0) {
    EXPECT_EQ(tree_.Msr(0, 0x199), before);
  }
}

TEST_F(HelperRequestsTest, AProcessorWithoutRegisterFileFailsItsReads) {
  auto beyond = OpenHelperDevice(tree_, static_cast<int>(tree_.Processors()));
  EXPECT_FALSE(Request(*beyond, driver::kReadMsr, {0x198, ~0u, ~0u}, 3));
}

TEST_F(HelperRequestsTest, TimerPortsAnswerZeroExtendedValuesInWordOne) {
  tree_.SetPortByte(0x40, 0x9C);
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kWritePortByte, {0x43, 0x00}, 2, &out));
  EXPECT_EQ(out, (std::vector<uint32_t>{0x43, 0x00}));
  ASSERT_TRUE(Request(*device_, driver::kReadPortByte, {0x40, 0}, 2, &out));
  EXPECT_EQ(out, (std::vector<uint32_t>{0x40, 0x9C}));
  // Only the low byte of a byte write counts.
  ASSERT_TRUE(Request(*device_, driver::kWritePortByte, {0x43, 0xFFFFFF80u}, 2, &out));
  EXPECT_EQ(out[1], 0x80u);
  EXPECT_EQ(tree_.Port(0x43, 1), 0x80u);
}

TEST_F(HelperRequestsTest, ConfigurationAccessesReachTheSelectedFunction) {
  constexpr uint32_t kNode0Misc = 0xC3, kNode1Misc = 0xCB;
  tree_.SetConfig(kNode0Misc, 0xE4, 0x12345678);
  tree_.SetConfig(kNode0Misc, 0x88, 0xAABBCCDD);
  tree_.SetConfig(kNode1Misc, 0xE4, 0x0BADF00D);
  std::vector<uint32_t> out;

  ASSERT_TRUE(SelectConfig(kNode0Misc, 0xE4));
  ASSERT_TRUE(Request(*device_, driver::kReadPortDword, {0xCF8, 0}, 2, &out));
  EXPECT_EQ(out[1], 0x8000C3E4u);
  ASSERT_TRUE(Request(*device_, driver::kReadPortDword, {0xCFC, 0}, 2, &out));
  EXPECT_EQ(out[1], 0x12345678u);
  // Register 0x8A: the byte at data port 0xCFE of the double word 0x88.
  ASSERT_TRUE(SelectConfig(kNode0Misc, 0x8A));
  ASSERT_TRUE(Request(*device_, driver::kReadPortByte, {0xCFE, 0}, 2, &out));
  EXPECT_EQ(out[1], 0xBBu);
  ASSERT_TRUE(Request(*device_, driver::kReadPortWord, {0xCFE, 0}, 2, &out));
  EXPECT_EQ(out[1], 0xAABBu);

  ASSERT_TRUE(SelectConfig(kNode1Misc, 0xE4));
  ASSERT_TRUE(Request(*device_, driver::kWritePortDword, {0xCFC, 0x0BADF009}, 2));
  EXPECT_EQ(tree_.Config(kNode1Misc, 0xE4), 0x0BADF009u);
  EXPECT_EQ(tree_.Config(kNode0Misc, 0xE4), 0x12345678u);
}

TEST_F(HelperRequestsTest, AnAbsentFunctionReadsAllOnes) {
  std::vector<uint32_t> out;
  ASSERT_TRUE(SelectConfig(0xD3, 0x00));  // node 2: not in this machine
  ASSERT_TRUE(Request(*device_, driver::kReadPortWord, {0xCFE, 0}, 2, &out));
  EXPECT_EQ(out[1], 0xFFFFu);
  ASSERT_TRUE(Request(*device_, driver::kReadPortDword, {0xCFC, 0}, 2, &out));
  EXPECT_EQ(out[1], 0xFFFFFFFFu);
}

TEST_F(HelperRequestsTest, TheBiosAreaIsMappedIntoTheCallerAndReleased) {
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kMapPhysicalMemory, {0xF0000, 0, 0x10000, 0}, 2, &out));
  const auto address = static_cast<uintptr_t>(uint64_t{out[1]} << 32 | out[0]);
  ASSERT_NE(address, 0u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(address);
  for (uint32_t offset : {0u, 1u, 0x1234u, 0xFFFFu}) {
    EXPECT_EQ(bytes[offset], FakeTree::MemoryByte(0xF0000 + offset)) << offset;
  }
  uint32_t returned = 0;
  EXPECT_TRUE(device_->Control(driver::kUnmapPhysicalMemory, out.data(), 8, nullptr, 0, &returned));
  // A second release, or one of memory this device never mapped, is refused.
  EXPECT_FALSE(
      device_->Control(driver::kUnmapPhysicalMemory, out.data(), 8, nullptr, 0, &returned));
}

TEST_F(HelperRequestsTest, AnswersMayOverwriteTheRequestInPlace) {
  tree_.SetMsr(0, 0x198, 0x0612'0000'0C26ull);
  uint32_t block[3] = {0x198, ~0u, ~0u};
  uint32_t returned = 0;
  ASSERT_TRUE(
      device_->Control(driver::kReadMsr, block, sizeof block, block, sizeof block, &returned));
  EXPECT_EQ(returned, 12u);
  EXPECT_EQ(block[1], 0x0612u);
  EXPECT_EQ(block[2], 0x0C26u);
}

}  // namespace
}  // namespace pacetta::testing
