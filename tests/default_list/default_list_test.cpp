// The default performance-state list and the two "Defaults" built on it, on small
// processor records: where the list comes from, how it is bounded, and what each
// "Defaults" makes of it.
#include "engine/profiles/default_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "engine/profiles/default_sources.h"
#include "tests/profiles/test_processors.h"

namespace pacetta {
namespace {

using Points = std::vector<std::pair<uint32_t, uint32_t>>;  // (FID, VID), slowest first

Points PointsOf(const std::vector<PState>& states) {
  Points points;
  for (const PState& state : states) {
    EXPECT_EQ(state.enabled, 1u);
    EXPECT_EQ(state.flags, kDefaultEntryFlags);
    points.emplace_back(state.fid, state.vid);
  }
  return points;
}

// A firmware copy of `size` bytes, erased, with a PowerNow! block at `at` whose first
// processor entry lists `count` states from `points` (pairs past the end are left out).
std::vector<uint8_t> Firmware(size_t size, size_t at, uint8_t count, const Points& points) {
  std::vector<uint8_t> copy(size, 0xFF);
  std::memcpy(copy.data() + at, "AMDK7PNOW!", 10);
  copy[at + 10] = 0x12;
  copy[at + 16] = 0xA0;  // the entry describes a K7 (signature 6A0h), whatever runs
  copy[at + 17] = 0x06;
  copy[at + 23] = count;
  for (size_t i = 0; i < points.size() && at + 25 + 2 * i < size; ++i) {
    copy[at + 24 + 2 * i] = static_cast<uint8_t>(points[i].first);
    copy[at + 25 + 2 * i] = static_cast<uint8_t>(points[i].second);
  }
  return copy;
}

// `count` states; the first n of a longer ramp are Ramp(n).
Points Ramp(size_t count) {
  Points points;
  for (size_t i = 0; i < count; ++i) points.emplace_back(i % 32, 30 - i % 31);
  return points;
}

TEST(FirmwareBlock, IsFoundOnParagraphsAndCutAtTheCopyAndTheListsCapacity) {
  const Points three = {{0, 18}, {8, 12}, {10, 6}};
  struct Case {
    const char* what;
    std::vector<uint8_t> copy;
    std::optional<Points> expected;
  };
  // The signature fits, the state count (offset 23) does not.
  std::vector<uint8_t> headerCut(0x20, 0xFF);
  std::memcpy(headerCut.data() + 0x10, "AMDK7PNOW!", 10);
  std::vector<uint8_t> twoBlocks = Firmware(0x10000, 0x100, 1, {{2, 16}});
  const std::vector<uint8_t> later = Firmware(0x10000, 0x200, 3, three);
  std::copy(later.begin() + 0x200, later.begin() + 0x230, twoBlocks.begin() + 0x200);
  const Case cases[] = {
      {"a block on a paragraph", Firmware(0x10000, 0xA6D0, 3, three), three},
      {"a block off the paragraphs", Firmware(0x10000, 0xA6D8, 3, three), std::nullopt},
      {"the first block wins", twoBlocks, Points{{2, 16}}},
      {"a count of no states", Firmware(0x10000, 0x40, 0, three), Points{}},
      // 255 states would reach 510 bytes past the header: the copy ends after 12 pairs.
      {"pairs past the copy's end", Firmware(0x10000, 0x10000 - 48, 255, Ramp(12)), Ramp(12)},
      {"more states than the list holds", Firmware(0x10000, 0x400, 255, Ramp(255)),
       Ramp(kMaxDefaultStates)},
      {"a header that does not fit", headerCut, std::nullopt},
      {"no copy", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto found = FindFirmwareStates(c.copy);
    ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.what;
    if (found) {
      EXPECT_EQ(PointsOf(*found), *c.expected) << c.what;
    }
  }
}

TEST(DefaultList, ComesFromTheSourceOfTheProcessorsKind) {
  const Points k7Points = {{4, 19}, {12, 11}};
  const std::vector<uint8_t> firmware = Firmware(0x10000, 0x800, 2, k7Points);

  CpuInfo pentium4;  // multipliers 14 and 15, 1.2875 V .. 1.3875 V
  pentium4.isPentium4 = pentium4.isPentium4Prescott = pentium4.isIntelPState = 1;
  pentium4.minFid = 14, pentium4.maxFid = 15, pentium4.minVid = 37, pentium4.maxVid = 45;
  CpuInfo equal = pentium4;  // one multiplier: slope 0, one state at the lowest voltage
  equal.minFid = 15;
  CpuInfo coreDuo;  // 6x at 1.000 V .. 13x at 1.2875 V
  coreDuo.isCoreDuo = coreDuo.isIntelCore = coreDuo.isIntelPState = 1;
  coreDuo.minFid = 6, coreDuo.maxFid = 13, coreDuo.minVid = 23, coreDuo.maxVid = 46;
  CpuInfo k7 = testing::EvenTableK8();
  k7.isK8 = 0;
  k7.isK7 = 1;
  CpuInfo via;
  via.isViaC7 = 1;
  via.minFid = 4, via.maxFid = 15, via.minVid = 9, via.maxVid = 28;

  struct Case {
    const char* what;
    CpuInfo cpu;
    std::vector<uint8_t> firmware;
    Points expected;
  };
  const Case cases[] = {
      // Only the first entry is read, whatever processor it describes.
      {"a K8 without a table row takes the firmware's states", testing::EvenTableK8(), firmware,
       k7Points},
      {"a K8 without a table row or a block has none", testing::EvenTableK8(), {}, {}},
      {"a K7 takes the firmware's states", k7, firmware, k7Points},
      {"a K7 without a block has none", k7, {}, {}},
      {"a Pentium 4 is interpolated", pentium4, firmware, {{14, 37}, {15, 45}}},
      {"equal multipliers give one state at the lowest voltage", equal, {}, {{15, 37}}},
      // 1.000 V + (m - 6) x 0.041 V, to the nearest 12.5 mV code.
      {"a Core Duo is interpolated",
       coreDuo,
       {},
       {{6, 23}, {7, 26}, {8, 30}, {9, 33}, {10, 36}, {11, 39}, {12, 43}, {13, 46}}},
      {"a Pentium M without a group has none", testing::PentiumM(), firmware, {}},
      {"a VIA C7 has none", via, firmware, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PointsOf(BuildDefaultList(c.cpu, c.firmware).entries), c.expected) << c.what;
  }
}

DefaultList ListOf(const Points& points) {
  DefaultList list;
  for (const auto& [fid, vid] : points) list.entries.push_back(DefaultEntry(fid, vid));
  return list;
}

struct Row {
  uint32_t fid, vid, enabled;
  bool operator==(const Row&) const = default;
};

std::vector<Row> RowsOf(const PStateTable& table) {
  std::vector<Row> rows;
  for (int32_t i = 0; i < table.Count(); ++i) {
    const PState& row = table.rows[static_cast<size_t>(i)];
    rows.push_back({row.fid, row.vid, row.enabled});
  }
  return rows;
}

TEST(EditorDefaults, EnableTheCandidatesTheListNamesWithItsVoltages) {
  // The K8's candidates are FIDs 0, 2, .. 10, each at VID 6.
  struct Case {
    const char* what;
    Points list;
    std::vector<Row> expected;
  };
  const Case cases[] = {
      {"no list: every candidate at its default VID",
       {},
       {{0, 6, 1}, {2, 6, 1}, {4, 6, 1}, {6, 6, 1}, {8, 6, 1}, {10, 6, 1}}},
      {"the listed states only, with the list's VIDs",
       {{0, 18}, {8, 10}, {10, 6}},
       {{0, 18, 1}, {2, 6, 0}, {4, 6, 0}, {6, 6, 0}, {8, 10, 1}, {10, 6, 1}}},
      {"an entry whose FID is no candidate enables nothing",
       {{0, 18}, {9, 11}, {10, 6}},
       {{0, 18, 1}, {2, 6, 0}, {4, 6, 0}, {6, 6, 0}, {8, 6, 0}, {10, 6, 1}}},
      {"a list of no candidate at all leaves every candidate enabled",
       {{1, 18}, {42, 2}},
       {{0, 6, 1}, {2, 6, 1}, {4, 6, 1}, {6, 6, 1}, {8, 6, 1}, {10, 6, 1}}},
  };
  for (const Case& c : cases) {
    bool rangeChanged = true;
    const PStateTable table =
        ApplyDefaultsToTable(testing::EvenTableK8(), ListOf(c.list), 5, rangeChanged);
    EXPECT_EQ(RowsOf(table), c.expected) << c.what;
    EXPECT_FALSE(rangeChanged) << c.what;
  }
}

TEST(EditorDefaults, KeepEveryOneOfSixtyFourCandidatesAndTellWhenTheRangeChanged) {
  CpuInfo cpu;
  cpu.isPentium4 = cpu.isPentium4Prescott = cpu.isIntelPState = 1;
  for (uint32_t fid = 8; fid < 8 + kMaxPStateCandidates; ++fid)
    cpu.candidates[cpu.candidateCount++] = PStateCandidate{fid, fid, fid, 1, 60, 60, 32};
  for (const int32_t editorLast : {31, 63}) {
    bool rangeChanged = false;
    const PStateTable table = ApplyDefaultsToTable(cpu, {}, editorLast, rangeChanged);
    EXPECT_EQ(table.lastIndex, 63);
    EXPECT_EQ(table.rows[63].fid, 8 + 63u);
    EXPECT_EQ(rangeChanged, editorLast != 63);
  }
}

// The FIDs of the rows a half lists, in list order.
std::vector<uint32_t> Ticked(const ProfileHalf& half, const PStateTable& table) {
  std::vector<uint32_t> fids;
  for (int32_t i = 0; i <= half.lastState; ++i)
    fids.push_back(table.rows[static_cast<size_t>(half.states[static_cast<size_t>(i)])].fid);
  return fids;
}

TEST(ProfileDefaults, TickTheStatesOfEachProfileFromTheListOrTheLimits) {
  const CpuInfo cpu = testing::EvenTableK8();
  bool changed = false;
  const Points listed = {{2, 16}, {6, 12}, {10, 6}};
  struct Case {
    const char* what;
    int32_t profile;
    Points list;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"power saving: the first entry", kPowerSavingProfile, listed, {2}},
      {"maximal performance: the last entry", kMaximalPerformanceProfile, listed, {10}},
      {"on demand: every entry", kOnDemandProfile, listed, {2, 6, 10}},
      {"a custom profile: every entry", kFirstCustomProfile, listed, {2, 6, 10}},
      {"power saving without a list: the lowest FID", kPowerSavingProfile, {}, {0}},
      {"maximal performance without a list: the highest FID", kMaximalPerformanceProfile, {}, {10}},
      {"on demand without a list: every state", kOnDemandProfile, {}, {0, 2, 4, 6, 8, 10}},
      // Entries the table does not offer are passed over: the first and last it offers.
      {"power saving passes over an entry that is no state",
       kPowerSavingProfile,
       {{1, 18}, {4, 14}, {10, 6}},
       {4}},
  };
  for (const Case& c : cases) {
    const DefaultList list = ListOf(c.list);
    const PStateTable table = ApplyDefaultsToTable(cpu, list, 5, changed);
    Profile profile;
    profile.ac.lastState = profile.dc.lastState = 0;  // row 0 ticked before
    profile.ac.targetLoad = 80;
    profile.dc.upIntervalMs = 5000;
    profile.dc.useThrottle = 1;
    profile.dc.lastThrottle = 1;
    ResetProfileDefaults(profile, c.profile, table, cpu, list, true, true);
    for (const ProfileHalf* half : {&profile.ac, &profile.dc}) {
      EXPECT_EQ(Ticked(*half, table), c.expected) << c.what;
      EXPECT_EQ(half->useFidVid, 1u) << c.what;
      EXPECT_EQ(half->useThrottle, 0u) << c.what;
      EXPECT_EQ(half->lastThrottle, -1) << c.what;
      EXPECT_EQ(half->targetLoad, 50) << c.what;
      EXPECT_EQ(half->upIntervalMs, 200) << c.what;
      EXPECT_EQ(half->downIntervalMs, 200) << c.what;
    }
  }
}

TEST(ProfileDefaults, LeaveNoManagementAndTheStatesOfAProcessorWithoutControlAlone) {
  const CpuInfo cpu = testing::EvenTableK8();
  bool changed = false;
  const PStateTable table = ApplyDefaultsToTable(cpu, {}, 5, changed);
  Profile none;
  none.ac.targetLoad = 70;
  ResetProfileDefaults(none, kNoManagementProfile, table, cpu, {}, true, true);
  EXPECT_EQ(none.ac.targetLoad, 70);

  Profile uncontrolled;
  uncontrolled.ac.useFidVid = 1;
  uncontrolled.ac.lastState = 0;
  uncontrolled.ac.lastThrottle = 2;
  ResetProfileDefaults(uncontrolled, kOnDemandProfile, table, cpu, {}, false, false);
  EXPECT_EQ(uncontrolled.ac.useFidVid, 0u);
  EXPECT_EQ(uncontrolled.ac.lastState, 0);
  EXPECT_EQ(uncontrolled.ac.lastThrottle, 2);  // no clock modulation: the levels stay
}

}  // namespace
}  // namespace pacetta
