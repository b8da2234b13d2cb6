// What the helper refuses at the privilege boundary, and malformed frames.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
namespace wire = linux_os::helper_wire;

class HelperRefusalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(helper_.Ready()) << helper_.Diagnostics();
    device_ = OpenHelperDevice(tree_);
    ASSERT_NE(device_, nullptr);
  }
  bool Works() { return Request(*device_, driver::kQueryVersion, {0, 0}, 2); }

  FakeTree tree_;
  HelperProcess helper_{tree_};
  std::unique_ptr<platform::Device> device_;
};

TEST_F(HelperRefusalsTest, UnknownCodesAndTheKernelRoutineAreRefused) {
  for (uint32_t code : {0x80002024u, 0x80002038u, 0x12345678u, wire::kStopRequest + 1}) {
    EXPECT_FALSE(Request(*device_, code, {0, 0}, 2)) << std::hex << code;
  }
  // The helper runs no code it is sent, whatever the block names.
  for (uint32_t routine = 0; routine <= 6; ++routine) {
    EXPECT_FALSE(Request(*device_, driver::kRunKernelRoutine, {0, 0, 0, 100, 0, 0, routine}, 7));
  }
  EXPECT_TRUE(Works());
}

TEST_F(HelperRefusalsTest, EveryRequestWithTheWrongSizesIsRefused) {
  struct Case {
    uint32_t code;
    uint32_t inWords, outWords;
  } cases[] = {
      {driver::kMapPhysicalMemory, 3, 2},
      {driver::kMapPhysicalMemory, 4, 1},
      {driver::kUnmapPhysicalMemory, 1, 0},
      {driver::kReadPortByte, 1, 2},
      {driver::kReadPortDword, 2, 1},
      {driver::kWritePortWord, 3, 2},
      {driver::kQueryVersion, 2, 3},
      {driver::kChangeUseCount, 1, 2},
      {driver::kReadMsr, 2, 3},
      {driver::kReadMsr, 3, 2},
      {driver::kWriteMsr, 4, 3},
  };
  tree_.SetMsr(0, 0x198, 0x1234);
  for (const Case& c : cases) {
    std::vector<uint32_t> in(c.inWords, 0);
    if (!in.empty()) in[0] = c.code == driver::kChangeUseCount ? driver::kUseCountTag : 0x198;
    EXPECT_FALSE(Request(*device_, c.code, in, c.outWords)) << std::hex << c.code;
  }
  EXPECT_TRUE(Works());
}

TEST_F(HelperRefusalsTest, RegistersOutsideTheAllowListAreRefused) {
  tree_.SetMsr(0, 0x1B, 0xFEE00900);   // APIC base
  tree_.SetMsr(0, 0xC0000080, 0xD01);  // EFER
  EXPECT_FALSE(Request(*device_, driver::kReadMsr, {0x1B, ~0u, ~0u}, 3));
  EXPECT_FALSE(Request(*device_, driver::kWriteMsr, {0xC0000080, 0, 0}, 3));
  // Registers the program only reads cannot be written.
  for (uint32_t readOnly : {0x198u, 0xC0010042u, 0xC0010015u, 0x17u}) {
    EXPECT_FALSE(Request(*device_, driver::kWriteMsr, {readOnly, 0, 0}, 3)) << std::hex << readOnly;
  }
  EXPECT_EQ(tree_.Msr(0, 0xC0000080), 0xD01u);
  EXPECT_TRUE(Request(*device_, driver::kWriteMsr, {0x199, 0, 0x0C26}, 3));
}

TEST_F(HelperRefusalsTest, PortsOutsideTheAllowListAreRefused) {
  // Reset control (0xCF9), POST codes, the keyboard controller, the timer reprogrammed.
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0xCF9, 0x06}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortWord, {0xCF8, 0x0600}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0x80, 0x55}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0x64, 0xFE}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0x43, 0x34}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0x40, 0x00}, 2));
  EXPECT_FALSE(Request(*device_, driver::kReadPortDword, {0x40, 0}, 2));
  // A word at 0xCFF would run past the data window; ports above 16 bits do not exist.
  EXPECT_FALSE(Request(*device_, driver::kReadPortWord, {0xCFF, 0}, 2));
  EXPECT_FALSE(Request(*device_, driver::kReadPortByte, {0x10040, 0}, 2));
  EXPECT_EQ(tree_.Port(0xCF9, 1), 0u);
  EXPECT_EQ(tree_.Port(0x64, 1), 0u);
  EXPECT_EQ(tree_.Port(0x43, 1), 0u);
}

TEST_F(HelperRefusalsTest, ConfigurationOutsideTheAllowedFunctionsIsRefused) {
  tree_.SetConfig(0x08, 0x00, 0x11112222);
  // Device 1 of bus 0, bus 1, an extended register, the enable bit clear.
  for (uint32_t address : {0x80000800u, 0x80010000u | 0xC3 << 8, 0x8F00C3E4u, 0x0000C3E4u}) {
    EXPECT_FALSE(Request(*device_, driver::kWritePortDword, {0xCF8, address}, 2))
        << std::hex << address;
    EXPECT_FALSE(Request(*device_, driver::kReadPortDword, {0xCFC, 0}, 2));
  }
  // An allowed function, but a register the program never writes.
  tree_.SetConfig(0xC3, 0x40, 0x5A5A5A5A);
  ASSERT_TRUE(Request(*device_, driver::kWritePortDword, {0xCF8, 0x8000C340}, 2));
  EXPECT_TRUE(Request(*device_, driver::kReadPortDword, {0xCFC, 0}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortDword, {0xCFC, 0}, 2));
  EXPECT_EQ(tree_.Config(0xC3, 0x40), 0x5A5A5A5Au);
}

TEST_F(HelperRefusalsTest, MemoryOutsideTheBiosAreaIsRefused) {
  struct Range {
    uint32_t low, high, length;
  } ranges[] = {
      {0xE0000, 0, 0x1000}, {0xF0000, 0, 0x10001}, {0xFFFFF, 0, 2},
      {0xF0000, 1, 0x100},  {0xF0000, 0, 0},       {0xFFFFF000, 0, 0x2000},
  };
  for (const Range& r : ranges) {
    std::vector<uint32_t> out;
    EXPECT_FALSE(
        Request(*device_, driver::kMapPhysicalMemory, {r.low, r.high, r.length, 0}, 2, &out))
        << std::hex << r.low << " " << r.length;
  }
  EXPECT_TRUE(Request(*device_, driver::kMapPhysicalMemory, {0xFFFF0, 0, 0x10, 0}, 2));
}

TEST_F(HelperRefusalsTest, UseCountChangesOutsideTheProtocolAreRefused) {
  EXPECT_FALSE(Request(*device_, driver::kChangeUseCount, {0, 1}, 2));
  EXPECT_FALSE(Request(*device_, driver::kChangeUseCount, {driver::kUseCountTag, 5}, 2));
  // A connection cannot give back a use it never took (someone else's).
  auto other = OpenHelperDevice(tree_);
  ASSERT_TRUE(Request(*other, driver::kChangeUseCount, {driver::kUseCountTag, 1}, 2));
  EXPECT_FALSE(Request(*device_, driver::kChangeUseCount,
                       {driver::kUseCountTag, static_cast<uint32_t>(-1)}, 2));
  std::vector<uint32_t> out;
  ASSERT_TRUE(Request(*device_, driver::kChangeUseCount, {driver::kUseCountTag, 0}, 2, &out));
  EXPECT_EQ(out[0], 1u);
}

// Raw frames, written by hand.
class HelperFramesTest : public HelperRefusalsTest {
 protected:
  linux_os::UniqueFd Connect() { return linux_os::ConnectUnixSocket(tree_.SocketPath()); }
};

TEST_F(HelperFramesTest, AFrameWithABadMagicOrOversizedPayloadClosesOnlyItsConnection) {
  for (wire::RequestHeader header :
       {wire::RequestHeader{0x12345678, driver::kQueryVersion, 8, 8, 0},
        wire::RequestHeader{wire::kMagic, driver::kQueryVersion, 1u << 20, 8, 0},
        wire::RequestHeader{wire::kMagic, driver::kQueryVersion, 8, 0xFFFFFFFFu, 0}}) {
    linux_os::UniqueFd raw = Connect();
    ASSERT_TRUE(raw.Valid());
    ASSERT_TRUE(linux_os::SendAll(raw.Get(), &header, sizeof header));
    wire::ResponseHeader answer{1, 1};
    ASSERT_TRUE(linux_os::ReceiveExact(raw.Get(), &answer, sizeof answer, 30s));
    EXPECT_EQ(answer.ok, 0u);
    EXPECT_EQ(answer.returned, 0u);
    EXPECT_TRUE(linux_os::WaitForEndOfStream(raw.Get(), 30s));
  }
  EXPECT_TRUE(Works());
}

TEST_F(HelperFramesTest, ATruncatedFrameEndsItsConnectionWithoutAnswer) {
  linux_os::UniqueFd raw = Connect();
  const wire::RequestHeader header{wire::kMagic, driver::kReadMsr, 12, 12, 0};
  ASSERT_TRUE(linux_os::SendAll(raw.Get(), &header, 10));  // half a header
  shutdown(raw.Get(), SHUT_WR);
  EXPECT_TRUE(linux_os::WaitForEndOfStream(raw.Get(), 30s));

  linux_os::UniqueFd partial = Connect();
  ASSERT_TRUE(linux_os::SendAll(partial.Get(), &header, sizeof header));
  ASSERT_TRUE(linux_os::SendAll(partial.Get(), "abcd", 4));  // 4 of 12 input bytes
  shutdown(partial.Get(), SHUT_WR);
  EXPECT_TRUE(linux_os::WaitForEndOfStream(partial.Get(), 30s));
  EXPECT_TRUE(Works());
}

TEST_F(HelperFramesTest, TheClientRefusesPayloadsNoRequestHasBeforeSending) {
  std::vector<uint32_t> big(wire::kMaxPayload / 4 + 1, 0);
  EXPECT_FALSE(Request(*device_, driver::kQueryVersion, big, 2));
  EXPECT_TRUE(Works());
}

}  // namespace
}  // namespace pacetta::testing
