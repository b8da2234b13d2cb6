#include "engine/profiles/pstate_table.h"

#include <gtest/gtest.h>

#include "tests/profiles/test_processors.h"

namespace pacetta {
namespace {

TEST(PStateTable, BuiltFromTheProcessorsCandidates) {
  const CpuInfo cpu = testing::Core2WithIda();
  const PStateTable table = BuildTableFromProcessor(cpu);
  ASSERT_EQ(table.lastIndex, 5);
  EXPECT_EQ(table.rows[0].fid, 6u);  // SuperLFM: its own FID word, default VID
  EXPECT_EQ(table.rows[0].vid, 12u);
  EXPECT_TRUE(IsHalfRatio(table.rows[0]));
  EXPECT_EQ(table.rows[5].fid, 10u);
  EXPECT_EQ(table.rows[5].flags & kPStateKindMask, kPStateKindIda);
  for (int32_t i = 0; i <= table.lastIndex; ++i) EXPECT_EQ(table.rows[i].enabled, 1u);
  // Every state the processor lists is one it offers.
  for (int32_t i = 0; i <= table.lastIndex; ++i)
    EXPECT_TRUE(IsOfferedByProcessor(cpu, table.rows[i]));
}

TEST(PStateTable, CandidateCountBeyondTheTableIsCut) {
  CpuInfo cpu = testing::PentiumM();
  cpu.candidateCount = 1000;
  EXPECT_EQ(BuildTableFromProcessor(cpu).lastIndex, kMaxPStates - 1);
}

TEST(PStateTable, RowAccessNeverLeavesTheTable) {
  PStateTable table;
  table.lastIndex = 2;
  EXPECT_NE(table.Row(0), nullptr);
  EXPECT_NE(table.Row(2), nullptr);
  EXPECT_EQ(table.Row(3), nullptr);
  EXPECT_EQ(table.Row(-1), nullptr);
  EXPECT_EQ(table.Row(1000), nullptr);
  EXPECT_NE(table.Row(kDefaultsRow), nullptr);
  table.rows[1].enabled = 1;
  EXPECT_TRUE(table.IsUsable(1));
  EXPECT_FALSE(table.IsUsable(0));
  EXPECT_FALSE(table.IsUsable(3));
}

TEST(PStateTable, RowsOutsideWhatTheProcessorOffersAreSwitchedOff) {
  const CpuInfo k8 = testing::EvenTableK8();
  PStateTable table;
  const PState rows[] = {
      {10, 6, 1, 0x20},    // fastest state at the highest voltage: offered
      {0, 18, 1, 0x20},    // slowest at the lowest voltage: offered
      {12, 6, 1, 0x20},    // FID above maxFid
      {9, 10, 1, 0x20},    // odd FID on an even table
      {8, 4, 1, 0x20},     // VID above the highest voltage (code below maxVid)
      {8, 20, 1, 0x20},    // VID below the lowest voltage
      {200, 10, 1, 0x20},  // no FID of this family
      {4, 10, 0, 0x20},    // already off
  };
  for (const PState& row : rows) table.rows[static_cast<size_t>(++table.lastIndex)] = row;
  EXPECT_EQ(DisableRowsNotOffered(table, k8), 5);
  EXPECT_EQ(table.rows[0].enabled, 1u);
  EXPECT_EQ(table.rows[1].enabled, 1u);
  for (int32_t i = 2; i <= table.lastIndex; ++i) EXPECT_EQ(table.rows[i].enabled, 0u) << i;
}

TEST(PStateTable, ListedStatesBeyondTheLimitsStayOffered) {
  const CpuInfo cpu = testing::Core2WithIda();
  EXPECT_TRUE(IsOfferedByProcessor(cpu, {10, 45, 1, kCandidateDynamicAcceleration}));
  EXPECT_FALSE(IsOfferedByProcessor(cpu, {11, 40, 1, 0x20}));
  EXPECT_FALSE(IsOfferedByProcessor(cpu, {9, 46, 1, 0x20}));
  EXPECT_FALSE(IsOfferedByProcessor(cpu, {9, 9, 1, 0x20}));

  // A Pentium M runs ratio 6 and 8 up, never 7.
  const CpuInfo pentiumM = testing::PentiumM();
  EXPECT_TRUE(IsOfferedByProcessor(pentiumM, {6, 20, 1, 0x20}));
  EXPECT_FALSE(IsOfferedByProcessor(pentiumM, {7, 20, 1, 0x20}));
}

}  // namespace
}  // namespace pacetta
