#include <gtest/gtest.h>

#include "cpu/identify/cache_description.h"
#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::FakeCpu;
using testing::RecordFor;

CpuInfo WithLevel2Leaves(const char* vendor, uint32_t signature, platform::CpuidResult leaf5,
                         platform::CpuidResult leaf6) {
  CpuInfo info = RecordFor(vendor, signature);
  info.extendedLeaves[0] = {0x80000006u, 0, 0, 0};
  info.extendedLeaves[5] = leaf5;
  info.extendedLeaves[6] = leaf6;
  return info;
}

TEST(AmdLayout, Level2CodesThreeAndFiveReadAsZero) {
  FakeCpu cpu;
  for (uint32_t code : {3u, 5u}) {
    CpuInfo info =
        WithLevel2Leaves("AuthenticAMD", 0x20F42, {}, {0, 0, 0x04000140u | (code << 12), 0});
    DescribeCaches(info, cpu);
    EXPECT_EQ(info.l2.sizeKb, 1024u);
    EXPECT_EQ(info.l2.associativity, 0u) << code;
  }
}

TEST(AmdLayout, EveryFieldOfBothLeaves) {
  FakeCpu cpu;
  // Phenom 9500 leaves 0x80000005/6 from its dump.
  CpuInfo info = WithLevel2Leaves("AuthenticAMD", 0x100F22,
                                  {0xFF30FF10u, 0xFF30FF20u, 0x40020140u, 0x40020140u},
                                  {0x20800000u, 0x42004200u, 0x02008140u, 0x0010A140u});
  DescribeCaches(info, cpu);
  // Large pages: 2 MB counts 0x30 (data) and 0x10 (instruction) halved to 4 MB entries.
  EXPECT_EQ(info.dataTlbLarge.level1Entries, 0x18u);
  EXPECT_EQ(info.dataTlbLarge.level1Associativity, 255u);
  EXPECT_EQ(info.instructionTlbLarge.level1Entries, 8u);
  EXPECT_EQ(info.dataTlbLarge.level2Entries, 0x40u);  // 0x080 halved
  EXPECT_EQ(info.dataTlbLarge.level2Associativity, 2u);
  EXPECT_EQ(info.instructionTlbLarge.level2Entries, 0u);
  // 4 KB pages.
  EXPECT_EQ(info.dataTlb4k.level1Entries, 0x30u);
  EXPECT_EQ(info.instructionTlb4k.level1Entries, 0x20u);
  EXPECT_EQ(info.instructionTlb4k.level1Associativity, 255u);
  EXPECT_EQ(info.dataTlb4k.level2Entries, 0x200u);
  EXPECT_EQ(info.dataTlb4k.level2Associativity, 4u);
  EXPECT_EQ(info.instructionTlb4k.level2Entries, 0x200u);
  // Caches.
  EXPECT_EQ(info.l1Data.sizeKb, 64u);
  EXPECT_EQ(info.l1Data.associativity, 2u);
  EXPECT_EQ(info.l1Instruction.linesPerTag, 1u);
  EXPECT_EQ(info.l1Instruction.lineSize, 64u);
  EXPECT_EQ(info.l2.sizeKb, 512u);
  EXPECT_EQ(info.l2.associativity, 16u);
  EXPECT_EQ(info.l3.sizeKb, 2048u);  // 4 units of 512 KB
  EXPECT_EQ(info.l3.associativity, 32u);
  EXPECT_EQ(info.l3.linesPerTag, 1u);
  EXPECT_EQ(info.l3.lineSize, 64u);
}

TEST(ViaLayout, OldByteLayoutForC3SteppingsOnly) {
  FakeCpu cpu;
  const platform::CpuidResult leaf5{0x08200820u, 0x08800880u, 0x40040120u, 0x40040120u};
  // Level-2 TLB fields set, to show VIA's layout ignores them.
  const platform::CpuidResult leaf6{0x12345678u, 0x9ABCDEF0u, 0x00104120u, 0};

  CpuInfo ezra = WithLevel2Leaves("CentaurHauls", 0x686, leaf5, {0, 0, 0x40040120u, 0});
  DescribeCaches(ezra, cpu);
  EXPECT_EQ(ezra.l2.sizeKb, 64u);
  EXPECT_EQ(ezra.l2.associativity, 4u);
  EXPECT_EQ(ezra.l2.linesPerTag, 1u);
  EXPECT_EQ(ezra.l2.lineSize, 32u);

  CpuInfo esther = WithLevel2Leaves("CentaurHauls", 0x6A9, leaf5, leaf6);
  DescribeCaches(esther, cpu);
  EXPECT_EQ(esther.l2.sizeKb, 0x10u);
  EXPECT_EQ(esther.l2.associativity, 4u);
  EXPECT_EQ(esther.l2.lineSize, 0x20u);
  // VIA reports neither large-page nor second-level TLBs, nor a level-3 cache.
  EXPECT_EQ(esther.dataTlbLarge.level1Entries, 0u);
  EXPECT_EQ(esther.dataTlb4k.level2Entries, 0u);
  EXPECT_EQ(esther.l3.sizeKb, 0u);
  EXPECT_EQ(esther.dataTlb4k.level1Entries, 0x80u);
  EXPECT_EQ(esther.l1Data.sizeKb, 64u);

  // The boundaries of the old-layout range.
  for (uint32_t signature : {0x670u, 0x68Fu}) {
    CpuInfo c3 = WithLevel2Leaves("CentaurHauls", signature, leaf5, {0, 0, 0x40040120u, 0});
    DescribeCaches(c3, cpu);
    EXPECT_EQ(c3.l2.sizeKb, 64u) << std::hex << signature;
  }
  CpuInfo nehemiah = WithLevel2Leaves("CentaurHauls", 0x690, leaf5, {0, 0, 0x00408120u, 0});
  DescribeCaches(nehemiah, cpu);
  EXPECT_EQ(nehemiah.l2.sizeKb, 64u);
  EXPECT_EQ(nehemiah.l2.associativity, 16u);
}

TEST(CacheDescription, TransmetaUsesTheAmdLayoutAndFieldsStartCleared) {
  FakeCpu cpu;
  CpuInfo info = WithLevel2Leaves("GenuineTMx86", 0x543, {0, 0, 0x40040120u, 0x40040120u},
                                  {0, 0, 0x02004120u, 0});
  info.l3 = {9, 9, 9, 9};
  info.dataTlbLarge.level2Entries = 9;
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l2.sizeKb, 512u);
  EXPECT_EQ(info.l3.sizeKb, 0u);
  EXPECT_EQ(info.l3.associativity, 0u);
  EXPECT_EQ(info.dataTlbLarge.level2Entries, 0u);
}

}  // namespace
}  // namespace pacetta
