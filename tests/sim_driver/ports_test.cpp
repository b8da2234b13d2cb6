#include <gtest/gtest.h>

#include "driver_rig.h"

namespace pacetta::sim::testing {
namespace {

using driver::kReadPortByte;
using driver::kReadPortDword;
using driver::kReadPortWord;
using driver::kWritePortByte;
using driver::kWritePortDword;
using driver::kWritePortWord;

class Ports : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(device_, nullptr); }
  // The two requests of one configuration access.
  uint32_t ReadConfig(uint32_t code, uint32_t address, uint32_t reg) {
    WritePort(*device_, kWritePortDword, 0xCF8, address | (reg & 0xFC));
    return ReadPort(*device_, code, 0xCFC + (reg & 3));
  }
  void WriteConfig(uint32_t code, uint32_t address, uint32_t reg, uint32_t value) {
    WritePort(*device_, kWritePortDword, 0xCF8, address | (reg & 0xFC));
    WritePort(*device_, code, 0xCFC + (reg & 3), value);
  }

  static constexpr uint32_t kNorthbridge = 0x8000C300;  // bus 0, devfn 0xC3
  static constexpr uint32_t kHostBridge = 0x80000000;
  DriverRig rig_{TwoProcessorMachine()};
  std::unique_ptr<platform::Device> device_ = rig_.InstallAndOpen();
};

TEST_F(Ports, ConfigurationReadsAtTheDataPortOfTheRegister) {
  // Byte at 0x8A of 00:18.3: address 0x8000C388, data at 0xCFE.
  EXPECT_EQ(ReadConfig(kReadPortByte, kNorthbridge, 0x8A), 0x8Au);
  EXPECT_EQ(ReadPort(*device_, kReadPortDword, 0xCF8), 0x8000C388u);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0xE4), 0xE7E6E5E4u);
  EXPECT_EQ(ReadConfig(kReadPortWord, kNorthbridge, 0x42), 0x4342u);
  EXPECT_EQ(ReadConfig(kReadPortDword, kHostBridge, 0x00), 0x25908086u);
  // An absent function, and a cycle without the enable bit, read all ones.
  EXPECT_EQ(ReadConfig(kReadPortWord, 0x80000800, 0x02), 0xFFFFu);
  EXPECT_EQ(ReadConfig(kReadPortDword, 0x0000C300, 0x00), 0xFFFFFFFFu);
}

TEST_F(Ports, ConfigurationWritesKeepTheIdentity) {
  WriteConfig(kWritePortDword, kNorthbridge, 0x44, 0x11223344);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x44), 0x11223344u);
  WriteConfig(kWritePortByte, kNorthbridge, 0x45, 0x1FF);  // only the low byte is written
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x44), 0x1122FF44u);

  WriteConfig(kWritePortDword, kNorthbridge, 0x00, 0);
  WriteConfig(kWritePortDword, kNorthbridge, 0x08, 0);
  WriteConfig(kWritePortDword, kNorthbridge, 0x2C, 0);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x00), 0x03020100u);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x08), 0x0B0A0908u);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x2C), 0x2F2E2D2Cu);

  // Command is writable; the status error bits clear when written with ones.
  WriteConfig(kWritePortDword, kNorthbridge, 0x04, 0x0106'0006);
  EXPECT_EQ(ReadConfig(kReadPortDword, kNorthbridge, 0x04), 0x0606'0006u);

  // Writes to an absent function go nowhere.
  WriteConfig(kWritePortDword, 0x80000800, 0x40, 0);
  EXPECT_EQ(ReadConfig(kReadPortDword, 0x80000800, 0x40), 0xFFFFFFFFu);
}

TEST_F(Ports, EachDeviceObjectHasItsOwnConfigurationAddress) {
  auto second = rig_.driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  WritePort(*device_, kWritePortDword, 0xCF8, kNorthbridge | 0x40);
  WritePort(*second, kWritePortDword, 0xCF8, kHostBridge);
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0xCFC), 0x40u);
  EXPECT_EQ(ReadPort(*second, kReadPortWord, 0xCFC), 0x8086u);
}

TEST_F(Ports, UnclaimedPortsFloat) {
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0x80), 0xFFu);
  EXPECT_EQ(ReadPort(*device_, kReadPortWord, 0x3F8), 0xFFFFu);
  EXPECT_EQ(ReadPort(*device_, kReadPortDword, 0xB2), 0xFFFFFFFFu);
  WritePort(*device_, kWritePortByte, 0x80, 0x12);
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0x80), 0xFFu);
  // Only a double word at 0xCF8 is the configuration address.
  WritePort(*device_, kWritePortDword, 0xCF8, kNorthbridge);
  WritePort(*device_, kWritePortWord, 0xCF8, 0);
  EXPECT_EQ(ReadPort(*device_, kReadPortDword, 0xCF8), kNorthbridge);
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0xCF8), 0xFFu);
  // The port word is 16 bits: the rest of word 0 is ignored.
  EXPECT_EQ(ReadPort(*device_, kReadPortDword, 0x10CF8), kNorthbridge);
}

TEST_F(Ports, TimerCountsDownFromTheClock) {
  auto latchAndRead = [this] {
    WritePort(*device_, kWritePortByte, 0x43, 0x00);
    const uint32_t low = ReadPort(*device_, kReadPortByte, 0x40);
    return ReadPort(*device_, kReadPortByte, 0x40) << 8 | low;
  };
  rig_.nowNs = 0;
  EXPECT_EQ(latchAndRead(), 0u);  // the reload of 65536
  rig_.nowNs = 838'096;           // 1000 input clocks of 1 193 182 Hz: the count falls by 2 each
  EXPECT_EQ(latchAndRead(), 65536u - 2000);
  rig_.nowNs = 1'000'000'000;  // one second: 2 386 364 counts, 27 068 past 36 reloads
  EXPECT_EQ(latchAndRead(), 65536u - 27'068);

  // A latched count holds while time goes on, until both bytes are read.
  rig_.nowNs = 838'096;
  WritePort(*device_, kWritePortByte, 0x43, 0x00);
  rig_.nowNs = 1'676'191;                           // 2000 clocks
  WritePort(*device_, kWritePortByte, 0x43, 0x00);  // a second latch is ignored
  const uint32_t low = ReadPort(*device_, kReadPortByte, 0x40);
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0x40) << 8 | low, 65536u - 2000);
  EXPECT_EQ(latchAndRead(), 65536u - 4000);

  // Counters 1 and 2 and the control port are not modelled.
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0x42), 0xFFu);
  EXPECT_EQ(ReadPort(*device_, kReadPortByte, 0x43), 0xFFu);
}

}  // namespace
}  // namespace pacetta::sim::testing
