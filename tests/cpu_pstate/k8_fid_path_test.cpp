#include "cpu/pstate/k8_fid_path.h"

#include <gtest/gtest.h>

#include <vector>

#include "cpu/pstate/k8_fid_table.h"
#include "tests/cpu_pstate/k8_rules.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta {
namespace {

std::vector<int32_t> Path(int32_t from, int32_t to, bool fine) {
  std::vector<int32_t> path{from};
  while (path.back() != to && path.size() <= 64) path.push_back(k8::NextFid(path.back(), to, fine));
  return path;
}

TEST(K8FidPath, DocumentedPaths) {
  std::vector<int32_t> up{0};
  for (int32_t fid = 10; fid <= 42; fid += 2) up.push_back(fid);
  EXPECT_EQ(Path(0, 42, false), up);
  std::vector<int32_t> down;
  for (int32_t fid = 42; fid >= 10; fid -= 2) down.push_back(fid);
  down.push_back(0);
  EXPECT_EQ(Path(42, 0, false), down);
  EXPECT_EQ(Path(4, 6, false), (std::vector<int32_t>{4, 14, 16, 18, 6}));
  EXPECT_EQ(Path(8, 2, true), (std::vector<int32_t>{8, 9, 10, 2}));
  EXPECT_EQ(k8::NextFid(64, 8, true), -1);
  EXPECT_EQ(k8::NextFid(8, -1, true), -1);
}

// Every pair of offered FIDs: each hop is one the processor accepts, the path ends at the
// target, with 200 MHz steps it never leaves the even codes, and it is short.
TEST(K8FidPath, EveryPairTakesOnlyLegalHopsToItsTarget) {
  for (bool fine : {false, true}) {
    const int32_t step = fine ? 1 : 2;
    for (int32_t from = 0; from <= 42; from += step) {
      for (int32_t to = 0; to <= 42; to += step) {
        const std::vector<int32_t> path = Path(from, to, fine);
        ASSERT_EQ(path.back(), to) << from << " -> " << to << " fine " << fine;
        EXPECT_LE(path.size(), 43u);
        for (size_t i = 1; i < path.size(); ++i) {
          EXPECT_TRUE(testing::LegalHop(path[i - 1], path[i], fine))
              << path[i - 1] << " -> " << path[i] << " on " << from << " -> " << to;
        }
      }
    }
  }
}

TEST(K8FidPath, FixedTablesHoldTheSamePath) {
  const k8::FidTransitionTables tables;
  for (int32_t from = 0; from < 64; ++from) {
    for (int32_t to = 0; to < 64; ++to) {
      ASSERT_EQ(tables.FineNext(from, to), static_cast<uint32_t>(k8::NextFid(from, to, true)));
      if (from % 2 == 0 && to % 2 == 0) {
        ASSERT_EQ(tables.EvenNextHalf(from / 2, to / 2) * 2,
                  static_cast<uint32_t>(k8::NextFid(from, to, false)));
      }
    }
  }
  EXPECT_EQ(tables.EvenNextHalf(2, 3), 7u);  // 4 -> 6 goes through 14
}

TEST(K8FidTable, SelectionFollowsPstMethodCapabilityAndHighestFid) {
  CpuInfo cpu = testing::K8();
  SelectK8FidTable(cpu, 0);
  EXPECT_EQ(cpu.k8FidTable, 0u);
  SelectK8FidTable(cpu, 0x10);
  EXPECT_EQ(cpu.k8FidTable, 16u);
  CpuInfo capable = testing::K8(0xF4A, 1u << 6);  // 100 MHz steps
  SelectK8FidTable(capable, 0);
  EXPECT_EQ(capable.k8FidTable, 16u);

  const std::vector<std::pair<int32_t, uint32_t>> even = {{8, 8},   {10, 10}, {12, 10}, {14, 12},
                                                          {16, 12}, {18, 14}, {6, 14},  {42, 14}};
  for (auto [maxFid, table] : even) {
    cpu.maxFid = maxFid;
    SelectK8FidTable(cpu, 0x08);
    EXPECT_EQ(cpu.k8FidTable, table) << maxFid;
  }
  const std::vector<std::pair<int32_t, uint32_t>> fine = {
      {8, 25}, {9, 25}, {10, 26}, {13, 27}, {14, 28}, {17, 29}, {19, 30}, {20, 31}, {7, 31}};
  for (auto [maxFid, table] : fine) {
    capable.maxFid = maxFid;
    SelectK8FidTable(capable, 0x08);
    EXPECT_EQ(capable.k8FidTable, table) << maxFid;
  }
}

// A restricted table offers exactly the low FIDs whose gateway set starts at or below the
// highest FID: those the stepped path can reach from it.
TEST(K8FidTable, RestrictedTablesOfferTheReachableLowFids) {
  for (bool fine : {false, true}) {
    CpuInfo cpu = testing::K8(0xF4A, fine ? 1u << 6 : 0);
    for (int32_t maxFid = 8; maxFid <= 19; maxFid += fine ? 1 : 2) {
      cpu.maxFid = maxFid;
      SelectK8FidTable(cpu, 0x08);
      for (int32_t low = 0; low < 8; low += fine ? 1 : 2) {
        const bool offered =
            k8::FidOfIndex(cpu.k8FidTable, k8::FidIndex(cpu.k8FidTable, low)) == low;
        EXPECT_EQ(offered, testing::kGatewayLow[low] <= maxFid) << maxFid << " " << low;
      }
    }
  }
}

}  // namespace
}  // namespace pacetta
