#include "cpu/identify/intel_descriptors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cpu/identify/cache_description.h"
#include "cpu/identify/deterministic_caches.h"
#include "cpu/identify/intel_cache_layout.h"
#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::FakeCpu;
using testing::RecordFor;

CpuInfo IntelWithLeaf2(uint32_t signature, platform::CpuidResult leaf2) {
  CpuInfo info = RecordFor("GenuineIntel", signature);
  info.standardLeaves[2] = leaf2;
  return info;
}

// Rows whose numbers disagree with their kind would silently misdescribe processors.
TEST(IntelDescriptorTable, EveryRowIsWellFormedAndFindable) {
  std::set<uint8_t> seen;
  for (const IntelDescriptor& row : IntelDescriptorTable()) {
    EXPECT_TRUE(seen.insert(row.value).second) << "duplicate " << int(row.value);
    EXPECT_EQ(FindIntelDescriptor(row.value), &row);
    switch (row.kind) {
      case DescriptorKind::kCache:
        EXPECT_NE(row.cache, CacheLevel::kNone) << int(row.value);
        EXPECT_GT(row.size, 0u) << int(row.value);
        EXPECT_TRUE(row.lineSize == 32 || row.lineSize == 64) << int(row.value);
        EXPECT_TRUE(row.ways >= 2 && row.ways <= 24) << int(row.value);
        // A cache's size is a whole number of sets of ways * line size.
        EXPECT_EQ(row.size * 1024 % (row.ways * row.lineSize), 0u) << int(row.value);
        break;
      case DescriptorKind::kTlb:
        EXPECT_TRUE(row.tlbLevel == 1 || row.tlbLevel == 2) << int(row.value);
        EXPECT_GT(row.size, 0u) << int(row.value);
        EXPECT_EQ(row.lineSize, 0u) << int(row.value);
        break;
      default:
        EXPECT_EQ(row.size, 0u) << int(row.value);
        break;
    }
  }
  // A sample of the published rows, including the special ones.
  for (uint8_t value : {0x01, 0x2C, 0x49, 0x70, 0xB4, 0xC3, 0xEC, 0xF1, 0xFE, 0xFF})
    EXPECT_NE(FindIntelDescriptor(value), nullptr) << int(value);
  // Unpublished values.
  for (uint8_t value : {0x07, 0x3F, 0x81, 0xFD}) EXPECT_EQ(FindIntelDescriptor(value), nullptr);
}

// Rows of older editions that later ones dropped: the parts of that time still report them.
TEST(IntelDescriptorTable, KeepsTheRowsLaterEditionsDropped) {
  struct Retired {
    uint8_t value;
    uint32_t sizeKb;
    uint32_t ways;
  };
  for (const Retired& row : {Retired{0x39, 128, 4}, Retired{0x3A, 192, 6}, Retired{0x3B, 128, 2},
                             Retired{0x3C, 256, 4}, Retired{0x3D, 384, 6}, Retired{0x3E, 512, 4}}) {
    const IntelDescriptor* descriptor = FindIntelDescriptor(row.value);
    ASSERT_NE(descriptor, nullptr) << int(row.value);
    EXPECT_EQ(descriptor->kind, DescriptorKind::kCache) << int(row.value);
    EXPECT_EQ(descriptor->cache, CacheLevel::kL2) << int(row.value);
    EXPECT_EQ(descriptor->size, row.sizeKb) << int(row.value);
    EXPECT_EQ(descriptor->ways, row.ways) << int(row.value);
    EXPECT_EQ(descriptor->lineSize, 64u) << int(row.value);
    EXPECT_EQ(descriptor->linesPerSector, 2u) << int(row.value);
  }
  const IntelDescriptor* traceCache = FindIntelDescriptor(0x73);  // 64 K-uop
  ASSERT_NE(traceCache, nullptr);
  EXPECT_EQ(traceCache->kind, DescriptorKind::kTraceCache);
}

TEST(Leaf2, CoreTwoDescriptorsFillCachesAndBothTlbLevels) {
  FakeCpu cpu;
  // Core 2 Duo E6750 (dump): B1 B0 05 | F0 57 56 | - | 49 30 B4 2C, then the repeat count.
  CpuInfo info = IntelWithLeaf2(0x6FB, {0x05B0B101u, 0x005657F0u, 0, 0x2CB43049u});
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l1Data.sizeKb, 32u);
  EXPECT_EQ(info.l1Data.associativity, 8u);
  EXPECT_EQ(info.l1Instruction.sizeKb, 32u);
  EXPECT_EQ(info.l2.sizeKb, 4096u);
  EXPECT_EQ(info.l2.associativity, 16u);
  EXPECT_EQ(info.l2.lineSize, 64u);
  EXPECT_EQ(info.l3.sizeKb, 0u);
  EXPECT_EQ(info.instructionTlb4k.level1Entries, 128u);
  EXPECT_EQ(info.instructionTlbLarge.level1Entries, 4u);  // B1: the 4 MB count
  EXPECT_EQ(info.dataTlb4k.level1Entries, 16u);           // 57: DTLB0
  EXPECT_EQ(info.dataTlb4k.level2Entries, 256u);          // B4: DTLB1
  EXPECT_EQ(info.dataTlbLarge.level1Entries, 16u);        // 56: DTLB0
  EXPECT_EQ(info.dataTlbLarge.level2Entries, 32u);        // 05: DTLB1
  EXPECT_FALSE(cpu.Executed(4));
}

TEST(Leaf2, Descriptor49IsLevelThreeOnlyOnFamily15Model6) {
  FakeCpu cpu;
  CpuInfo xeonMp = IntelWithLeaf2(0xF68, {0x00004901u, 0, 0, 0});
  DescribeCaches(xeonMp, cpu);
  EXPECT_EQ(xeonMp.l3.sizeKb, 4096u);
  EXPECT_EQ(xeonMp.l2.sizeKb, 0u);

  CpuInfo core2 = IntelWithLeaf2(0x6F6, {0x00004901u, 0, 0, 0});
  DescribeCaches(core2, cpu);
  EXPECT_EQ(core2.l2.sizeKb, 4096u);
  EXPECT_EQ(core2.l3.sizeKb, 0u);
}

TEST(Leaf2, SkipsRepeatCountAndReservedRegistersAndLaterBytesWin) {
  FakeCpu cpu;
  // EAX byte 0 (0x2C) is the repeat count; EBX has bit 31 set; in EDX, 7A (byte 3) comes
  // before 41 (byte 0), so the later 41 describes the L2.
  CpuInfo info = IntelWithLeaf2(0x68A, {0x0000002Cu, 0x80000043u, 0x00000003u, 0x7A000041u});
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l1Data.sizeKb, 0u);
  EXPECT_EQ(info.dataTlb4k.level1Entries, 64u);
  EXPECT_EQ(info.l2.sizeKb, 128u);
  EXPECT_EQ(info.l2.associativity, 4u);
  EXPECT_EQ(info.l2.lineSize, 32u);
  EXPECT_EQ(info.l2.linesPerTag, 0u);  // 41 is not sectored, unlike 7A
}

TEST(Leaf2, NorthwoodCeleronShowsItsLevelTwoCache) {
  FakeCpu cpu;
  // Celeron 2.0 GHz (Northwood, dump): 66 5B 51 | - | - | 3B 70 40.
  CpuInfo info = IntelWithLeaf2(0xF27, {0x665B5101u, 0, 0, 0x003B7040u});
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l2.sizeKb, 128u);
  EXPECT_EQ(info.l2.associativity, 2u);
  EXPECT_EQ(info.l2.lineSize, 64u);
  EXPECT_EQ(info.l2.linesPerTag, 2u);
  EXPECT_EQ(info.l3.sizeKb, 0u);  // 40: with an L2, no L3
}

TEST(Leaf2, SectoredCacheAndUnrecordedDescriptorsChangeNothingElse) {
  FakeCpu cpu;
  // Mobile Pentium 4-M: 66 5B 50 | 7B 70 (trace cache) | F0 (prefetch) 40 (no L3).
  CpuInfo info = IntelWithLeaf2(0xF29, {0x665B5001u, 0, 0, 0x7B70F040u});
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l2.sizeKb, 512u);
  EXPECT_EQ(info.l2.linesPerTag, 2u);
  EXPECT_EQ(info.l1Data.sizeKb, 8u);
  EXPECT_EQ(info.l1Instruction.sizeKb, 0u);  // a trace cache holds micro-ops, not KB
  EXPECT_EQ(info.l3.sizeKb, 0u);
  EXPECT_EQ(info.instructionTlb4k.level1Entries, 64u);
  EXPECT_EQ(info.instructionTlbLarge.level1Entries, 64u);
  EXPECT_EQ(info.instructionTlbLarge.level1Associativity, kFullyAssociative);
  EXPECT_EQ(info.dataTlbLarge.level1Entries, 64u);
}

TEST(Leaf2, SharedSecondLevelTlbFillsBothFourKilobyteRecords) {
  FakeCpu cpu;
  CpuInfo info = IntelWithLeaf2(0x106A5, {0x00CA0001u, 0, 0, 0});
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.instructionTlb4k.level2Entries, 512u);
  EXPECT_EQ(info.dataTlb4k.level2Entries, 512u);
  EXPECT_EQ(info.dataTlb4k.level2Associativity, 4u);
  EXPECT_EQ(info.dataTlbLarge.level2Entries, 0u);
}

class DeterministicCaches : public ::testing::Test {
 protected:
  // Leaf-4 answer: type, level, ways, partitions, line size and sets as published
  // (the register fields hold each value minus one).
  static platform::CpuidResult Cache(uint32_t type, uint32_t level, uint32_t ways,
                                     uint32_t partitions, uint32_t line, uint32_t sets,
                                     bool fully = false) {
    return {type | (level << 5) | (fully ? 1u << 9 : 0u),
            ((ways - 1) << 22) | ((partitions - 1) << 12) | (line - 1), sets - 1, 0};
  }

  CpuInfo Processor(uint32_t highestLeaf) {
    CpuInfo info = IntelWithLeaf2(0x306A9, {0x00FEFF01u, 0x000000F0u, 0, 0});
    info.standardLeaves[0].eax = highestLeaf;
    return info;
  }

  FakeCpu cpu;
};

TEST_F(DeterministicCaches, DescriptorFFReadsLeafFourSubleavesUntilTheNullType) {
  cpu.Set(4, Cache(1, 1, 8, 1, 64, 64), 0);       // L1 data 32 KB
  cpu.Set(4, Cache(2, 1, 8, 1, 64, 64), 1);       // L1 instruction 32 KB
  cpu.Set(4, Cache(3, 2, 8, 1, 64, 512), 2);      // L2 256 KB
  cpu.Set(4, Cache(3, 3, 12, 1, 64, 8192), 3);    // L3 6 MB
  cpu.Set(4, Cache(3, 4, 16, 1, 64, 131072), 5);  // beyond the null type
  CpuInfo info = Processor(13);
  DescribeCaches(info, cpu);
  EXPECT_EQ(info.l1Data.sizeKb, 32u);
  EXPECT_EQ(info.l1Instruction.sizeKb, 32u);
  EXPECT_EQ(info.l2.sizeKb, 256u);
  EXPECT_EQ(info.l3.sizeKb, 6144u);
  EXPECT_EQ(info.l3.associativity, 12u);
  EXPECT_EQ(info.l3.linesPerTag, 1u);
  EXPECT_EQ(info.l3.lineSize, 64u);
  EXPECT_FALSE(std::count(cpu.executed().begin(), cpu.executed().end(), std::make_pair(4u, 5u)));
}

TEST_F(DeterministicCaches, WithoutLeafFourNothingRuns) {
  CpuInfo info = Processor(3);
  DescribeCaches(info, cpu);
  EXPECT_FALSE(cpu.Executed(4));
  EXPECT_EQ(info.l1Data.sizeKb, 0u);
}

TEST_F(DeterministicCaches, EndlessSubleavesStopAtTheBound) {
  for (uint32_t subleaf = 0; subleaf < 100; ++subleaf)
    cpu.Set(4, Cache(1, 1, 8, 1, 64, 64), subleaf);
  CpuInfo info = Processor(4);
  DecodeDeterministicCaches(info, cpu);
  EXPECT_EQ(cpu.executed().size(), kMaxDeterministicCacheSubleaves);
}

TEST_F(DeterministicCaches, FullyAssociativeUnifiedLevelOneAndHugeSizes) {
  cpu.Set(4, Cache(3, 1, 4, 2, 32, 16, true), 0);
  platform::CpuidResult huge = Cache(3, 2, 1024, 1024, 4096, 1);
  huge.ecx = 0xFFFFFFFFu;  // 2^32 sets: the byte count overflows 64 bits
  cpu.Set(4, huge, 1);
  cpu.Set(4, Cache(2, 2, 8, 1, 64, 64), 2);  // an instruction-only L2 has no field
  CpuInfo info = Processor(4);
  DecodeDeterministicCaches(info, cpu);
  EXPECT_EQ(info.l1Data.associativity, kFullyAssociative);
  EXPECT_EQ(info.l1Data.sizeKb, 4u);
  EXPECT_EQ(info.l1Instruction.sizeKb, 4u);
  EXPECT_EQ(info.l1Data.linesPerTag, 2u);
  EXPECT_EQ(info.l2.sizeKb, 0xFFFFFFFFu);  // saturated, not wrapped
  EXPECT_EQ(info.l2.associativity, 1024u);
}

}  // namespace
}  // namespace pacetta
