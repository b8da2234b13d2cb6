// Writes may change only the bits the program itself writes: every other bit of the
// register must keep its current value.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "hw/driver_protocol.h"
#include "tests/portex64/fake_tree.h"

namespace pacetta::testing {
namespace {

constexpr uint32_t kLpcBridge = 0x1F << 3;
constexpr uint32_t kAcpiBase = 0x1000;
constexpr uint32_t kProcessorControl = kAcpiBase + 0x10;
constexpr uint32_t kHostBridge = 0x00;
constexpr uint32_t kNode0Misc = 0x18 << 3 | 3;

enum class Space { kMsr, kConfig, kPort };

// One register the program writes: its value now, a write the program makes (allowed),
// and a write that also changes a bit the program never writes (refused).
struct Case {
  const char* what;
  Space space;
  uint32_t where;  // MSR index, devfn << 8 | register, or port
  uint64_t current;
  uint64_t programWrite;
  std::optional<uint64_t> foreignWrite;
};

const Case kCases[] = {
    // IA32_MISC_ENABLE: the thermal monitors, EIST, the C-state enhancements, and
    // nothing else, least of all the execute-disable switch (bit 34), either way.
    {"EIST off", Space::kMsr, 0x1A0, 0x0000'0000'0085'0089, 0x0000'0000'0084'0089,
     0x0000'0004'0085'0089},
    {"XD disable kept", Space::kMsr, 0x1A0, 0x0000'0004'0085'0089, 0x0000'0007'8685'2089,
     0x0000'0000'0085'0089},
    {"P-state", Space::kMsr, 0x199, 0x0C26, 0x0001'0000'8612, 0x0001'0C26},
    {"clock modulation", Space::kMsr, 0x19A, 0, 0x18, 0x118},
    // The program acknowledges the thermal log; the PROCHOT log (bit 3) is not its own.
    {"thermal log", Space::kMsr, 0x19C, 0x8845'000B, 0x8845'0009, 0x8845'0001},
    {"TM2 target", Space::kMsr, 0x19D, 0x0C26, 0x0001'0A1E, 0x0002'0C26},
    {"DFFS", Space::kMsr, 0xEE, 0x4000'0000, 0x5000'0000, 0x1000'0000},
    {"TM1 sync", Space::kMsr, 0x1AA, 0x1, 0x30'0001, 0x30'0000},
    {"event select", Space::kMsr, 0x186, 0, 0x0043'003C, 0x0053'003C},
    {"event select 1", Space::kMsr, 0x187, 0x0043'003C, 0, 0x0010'0000},
    {"NetBurst CCCR", Space::kMsr, 0x360, 0, 0x0003'D000, 0x0403'D000},
    {"NetBurst ESCR", Space::kMsr, 0x3A2, 0, 0x2600'020F, 0x2600'021F},
    {"time-stamp counter", Space::kMsr, 0x10, 0x1234'5678'9ABC, 0xFFFF'0000'0000'0001,
     std::nullopt},
    {"LongRun bounds", Space::kMsr, 0x80868010, 0, 0x64'0000'0000, 0x80},
    {"LongRun mode", Space::kMsr, 0x80868011, 0, 1, 0x1'0000'0001},
    // Reading gives the highest level in the high half; the write selects in the low.
    {"LRTI select", Space::kMsr, 0x80868018, 0x7'0000'0000, 3, std::nullopt},
    {"AMD event select", Space::kMsr, 0xC0010000, 0, 0x004B'0076, 0x005B'0076},
    {"K7 clock control", Space::kMsr, 0xC001001B, 0x6003'1223, 0x6003'1267, 0x6003'1623},
    {"FID/VID control", Space::kMsr, 0xC0010041, 0x64'0001'0A0E, 0x7D0'0001'0A0C, 0x64'0001'0A8E},
    {"ATM level", Space::kConfig, kHostBridge << 8 | 0xA8, 0x1, 0x15, 0x14},
    // K8 power-management mode bytes: bit 7 of each byte is not the program's.
    {"PMM0", Space::kConfig, kNode0Misc << 8 | 0x80, 0x2307'0000, 0x3307'3331, 0xA307'0000},
    {"PMM1", Space::kConfig, kNode0Misc << 8 | 0x84, 0x2113'2113, 0x6113'3113, 0x2113'2193},
    {"clock timings", Space::kConfig, kNode0Misc << 8 | 0xD4, 0x000D'0701, 0x04E2'0707,
     0x000D'F701},
    {"alternate VID", Space::kConfig, kNode0Misc << 8 | 0xD8, 0x7000'0000, 0x00C0'1388,
     0x8000'0000},
    // The core select, written back over a temperature that has moved since it was read;
    // bit 31 would force a thermal trip.
    {"thermal core select", Space::kConfig, kNode0Misc << 8 | 0xE4, 0x0039'0020, 0x003A'0024,
     0x8039'0020},
    {"ACPI decode", Space::kConfig, kLpcBridge << 8 | 0x44, 0, 0x80, 0x87},
    {"C4 on C3", Space::kConfig, kLpcBridge << 8 | 0xA0, 0x0020, 0x00A0, 0x0420},
    {"C-state delays", Space::kConfig, kLpcBridge << 8 | 0xA8, 0, 0x0045'1C12, 0x40},
    // Throttling status (bit 17) belongs to the chipset and may have changed meanwhile.
    {"throttling", Space::kPort, kProcessorControl, 0x0002'0000, 0x18, 0x0002'0218},
};

class WriteMasksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An ICH LPC bridge, so that the helper serves its processor control register.
    tree_.SetConfig(kLpcBridge, 0x00, 0x27B9'8086);
    tree_.SetConfig(kLpcBridge, 0x08, 0x0601'0002);
    tree_.SetConfig(kLpcBridge, 0x40, kAcpiBase | 1);
    helper_ = std::make_unique<HelperProcess>(tree_);
    ASSERT_TRUE(helper_->Ready()) << helper_->Diagnostics();
    device_ = OpenHelperDevice(tree_);
    ASSERT_NE(device_, nullptr);
  }

  void Set(const Case& c, uint64_t value) {
    switch (c.space) {
      case Space::kMsr:
        tree_.SetMsr(0, c.where, value);
        break;
      case Space::kConfig:
        tree_.SetConfig(c.where >> 8, c.where & 0xFF, static_cast<uint32_t>(value));
        break;
      case Space::kPort:
        for (unsigned i = 0; i < 4; ++i) {
          tree_.SetPortByte(c.where + i, static_cast<uint8_t>(value >> (8 * i)));
        }
        break;
    }
  }
  uint64_t Get(const Case& c) const {
    switch (c.space) {
      case Space::kMsr:
        return tree_.Msr(0, c.where);
      case Space::kConfig:
        return tree_.Config(c.where >> 8, c.where & 0xFF);
      case Space::kPort:
        break;
    }
    return tree_.Port(c.where, 4);
  }
  bool Write(const Case& c, uint64_t value) {
    const auto low = static_cast<uint32_t>(value);
    switch (c.space) {
      case Space::kMsr:
        return Request(*device_, driver::kWriteMsr,
                       {c.where, static_cast<uint32_t>(value >> 32), low}, 3);
      case Space::kConfig:
        return SelectConfig(c.where >> 8, c.where & 0xFF) &&
               Request(*device_, driver::kWritePortDword, {0xCFC, low}, 2);
      case Space::kPort:
        break;
    }
    return Request(*device_, driver::kWritePortDword, {c.where, low}, 2);
  }
  bool SelectConfig(uint32_t devfn, uint32_t reg) {
    return Request(*device_, driver::kWritePortDword, {0xCF8, 0x80000000u | devfn << 8 | reg}, 2);
  }

  FakeTree tree_;
  std::unique_ptr<HelperProcess> helper_;
  std::unique_ptr<platform::Device> device_;
};

TEST_F(WriteMasksTest, TheProgramsWritesPassAndForeignBitsAreRefused) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Set(c, c.current);
    EXPECT_TRUE(Write(c, c.programWrite));
    EXPECT_EQ(Get(c), c.programWrite);
    if (!c.foreignWrite) continue;
    Set(c, c.current);
    EXPECT_FALSE(Write(c, *c.foreignWrite));
    EXPECT_EQ(Get(c), c.current);
  }
}

// A narrower access is checked against the bits of the bytes it covers: A9h bit 4 is the
// program's (Popdown), bit 0 is not.
TEST_F(WriteMasksTest, ByteAndWordAccessesAreCheckedInTheirOwnLanes) {
  tree_.SetConfig(kLpcBridge, 0xA8, 0x0000'0100);
  ASSERT_TRUE(SelectConfig(kLpcBridge, 0xA8));
  EXPECT_TRUE(Request(*device_, driver::kWritePortByte, {0xCFD, 0x11}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortByte, {0xCFD, 0x10}, 2));
  EXPECT_FALSE(Request(*device_, driver::kWritePortWord, {0xCFE, 0x0080}, 2));
  EXPECT_TRUE(Request(*device_, driver::kWritePortWord, {0xCFE, 0x0043}, 2));
  EXPECT_EQ(tree_.Config(kLpcBridge, 0xA8), 0x0043'1100u);
}

}  // namespace
}  // namespace pacetta::testing
