#include <gtest/gtest.h>

#include <string>

#include "cpu/identify/brand.h"
#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"
#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::FakeCpu;
using testing::VendorLeaf;

TEST(IdentificationLeaves, HighestLeafTwentyStoresLeavesZeroToFifteenOnly) {
  FakeCpu cpu;
  cpu.Set(0, VendorLeaf("GenuineIntel", 20));
  for (uint32_t leaf = 1; leaf <= 20; ++leaf) cpu.Set(leaf, {leaf, leaf, leaf, leaf});
  CpuInfo info;
  ReadIdentificationLeaves(info, cpu);

  EXPECT_EQ(HighestStandardLeaf(info), 20u);
  EXPECT_EQ(info.standardLeaves[15].eax, 15u);
  for (uint32_t leaf = 16; leaf <= 20; ++leaf) EXPECT_FALSE(cpu.Executed(leaf)) << leaf;
  // Every leaf runs with sub-leaf 0.
  for (const auto& [leaf, subleaf] : cpu.executed()) EXPECT_EQ(subleaf, 0u) << leaf;
}

TEST(IdentificationLeaves, WithoutExtendedLeavesHighestExtendedIsZeroAndNoBrandString) {
  FakeCpu cpu;
  cpu.Set(0, VendorLeaf("GenuineIntel", 2));
  // Such processors answer with leftovers of a standard leaf.
  cpu.Set(0x80000000u, {0x00000683u, 0x1234, 0x5678, 0x9ABC});
  cpu.Set(0x80000002u, {0x20202020u, 0x20202020u, 0x20202020u, 0x20202020u});
  CpuInfo info;
  ReadIdentificationLeaves(info, cpu);

  EXPECT_EQ(HighestExtendedLeaf(info), 0u);
  EXPECT_EQ(info.extendedLeaves[0].ebx, 0u);
  EXPECT_FALSE(cpu.Executed(0x80000001u));
  std::array<char, kBrandStringSize> brand{};
  brand.fill('x');
  EXPECT_FALSE(GetBrandString(info, brand));
  EXPECT_EQ(brand[0], 'x');
  EXPECT_EQ(GetExtendedBrandId(info), 0u);
}

TEST(IdentificationLeaves, ExtendedRangeIsCappedAtTheRecordsThirtyTwoLeaves) {
  FakeCpu cpu;
  cpu.Set(0, VendorLeaf("AuthenticAMD", 1));
  cpu.Set(0x80000000u, {0x80000040u, 0, 0, 0});
  cpu.Set(0x8000001Fu, {0x1F, 0, 0, 0});
  CpuInfo info;
  ReadIdentificationLeaves(info, cpu);
  EXPECT_EQ(info.extendedLeaves[31].eax, 0x1Fu);
  EXPECT_FALSE(cpu.Executed(0x80000020u));
}

TEST(IdentificationLeaves, ReidentifyingClearsLeavesTheProcessorNoLongerReports) {
  FakeCpu rich;
  rich.Set(0, VendorLeaf("GenuineIntel", 10));
  rich.Set(5, {5, 5, 5, 5});
  rich.Set(0x80000000u, {0x80000004u, 0, 0, 0});
  CpuInfo info;
  ReadIdentificationLeaves(info, rich);
  FakeCpu plain;
  plain.Set(0, VendorLeaf("GenuineIntel", 1));
  ReadIdentificationLeaves(info, plain);
  EXPECT_EQ(info.standardLeaves[5].eax, 0u);
  EXPECT_EQ(HighestExtendedLeaf(info), 0u);
}

TEST(Vendor, KnownStringsAndEverythingElse) {
  const std::pair<const char*, VendorCode> cases[] = {
      {"AuthenticAMD", VendorCode::kAmd},       {"GenuineIntel", VendorCode::kIntel},
      {"GenuineTMx86", VendorCode::kTransmeta}, {"CentaurHauls", VendorCode::kVia},
      {"CyrixInstead", VendorCode::kOther},     {"GenuineIntex", VendorCode::kOther},
  };
  for (const auto& [text, code] : cases) {
    CpuInfo info;
    info.standardLeaves[0] = VendorLeaf(text, 1);
    EXPECT_EQ(GetVendorCode(info), code) << text;
  }
}

TEST(BrandString, CopiesFortyEightBytesAndAlwaysEnds) {
  CpuInfo info;
  info.extendedLeaves[0] = {0x80000004u, 0, 0, 0};
  // "AMD Athlon(tm) 64 Processor 3200+" as the dump of that processor has it.
  info.extendedLeaves[2] = {0x20444D41u, 0x6C687441u, 0x74286E6Fu, 0x3620296Du};
  info.extendedLeaves[3] = {0x72502034u, 0x7365636Fu, 0x20726F73u, 0x30303233u};
  info.extendedLeaves[4] = {0x0000002Bu, 0, 0, 0x41414141u};
  std::array<char, kBrandStringSize> brand{};
  ASSERT_TRUE(GetBrandString(info, brand));
  EXPECT_EQ(std::string(brand.data()), "AMD Athlon(tm) 64 Processor 3200+");
  // A string that fills all 48 bytes is cut at the last one.
  EXPECT_EQ(brand[46], 'A');
  EXPECT_EQ(brand[47], '\0');
}

TEST(BrandIds, EightBitIdWinsOverTheExtendedId) {
  CpuInfo info = testing::RecordFor("AuthenticAMD", 0x20F42, 0x0000002Bu);
  info.extendedLeaves[0] = {0x80000018u, 0, 0, 0};
  info.extendedLeaves[1] = {0, 0x0000010Au, 0, 0};
  EXPECT_EQ(GetBrandId8(info), 0x2Bu);
  EXPECT_EQ(GetExtendedBrandId(info), 0x10Au);
  EXPECT_EQ(GetBrandTableIndex(info), (0x2Bu >> 5) & 7);

  info.standardLeaves[1].ebx = 0x00000800u;  // 8-bit id 0
  EXPECT_EQ(GetBrandTableIndex(info), (0x10Au >> 6) & 0x3F);

  // Without leaf 1 the 8-bit id is not read.
  info.standardLeaves[0].eax = 0;
  info.standardLeaves[1].ebx = 0xFFu;
  EXPECT_EQ(GetBrandId8(info), 0u);
}

}  // namespace
}  // namespace pacetta
