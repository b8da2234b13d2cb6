// The pages' editing rules that need no window: the performance-state editor's VID
// interpolation, the lists a profile keeps, the defaults pair and profile names.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/desktop/profile_edits.h"
#include "app/desktop/pstate_steps.h"
#include "app/desktop/state_editor.h"

namespace pacetta {
namespace {

// A Pentium M: the multiplier is the FID, 0.700 V + 16 mV per VID code.
CpuInfo PentiumM() {
  CpuInfo cpu;
  cpu.isPentiumM = cpu.isIntelPState = cpu.isPentiumMOrCoreDuo = cpu.isIntelSpeedStep = 1;
  cpu.minFid = 6;
  cpu.maxFid = 16;
  cpu.minVid = 0;
  cpu.maxVid = 40;
  return cpu;
}

// A dual-core K8 (revision F) whose highest FID is 10 (9.0x) on the even FID table.
CpuInfo TurionX2() {
  CpuInfo cpu;
  cpu.isK8 = cpu.isK8Npt = cpu.isK8RevF = cpu.isAmdPowerNow = 1;
  cpu.minFid = 0;
  cpu.maxFid = cpu.startFid = 10;
  cpu.minVid = 63;                 // 0.375 V
  cpu.maxVid = cpu.startVid = 17;  // 1.125 V
  return cpu;
}

constexpr int32_t kNormal = 0x20;
constexpr int32_t kSuperLfm = 0x31;
constexpr int32_t kFixedVid = 0x00;

struct Row {
  uint32_t fid, vid, enabled;
  int32_t flags;
};

PStateTable TableOf(const std::vector<Row>& rows) {
  PStateTable table;
  for (size_t i = 0; i < rows.size(); ++i)
    table.rows[i] = {rows[i].fid, rows[i].vid, rows[i].enabled, rows[i].flags};
  table.lastIndex = static_cast<int32_t>(rows.size()) - 1;
  return table;
}

std::vector<uint32_t> VidsOf(const PStateTable& table) {
  std::vector<uint32_t> vids;
  for (int32_t i = 0; i < table.Count(); ++i)
    vids.push_back(table.rows[static_cast<size_t>(i)].vid);
  return vids;
}

TEST(StateEditor, AChosenVidAtAnEndOfTheIntermediateStatesReinterpolatesTheStatesBetween) {
  struct Case {
    const char* what;
    std::vector<Row> rows;
    int32_t row;
    uint32_t vid;
    bool autoAdjust;
    std::vector<uint32_t> expected;
  };
  // From 6x at 0.860 V (VID 10) to 16x at 1.180 V (VID 30): 32 mV, two VID steps, per
  // multiplier.
  const std::vector<Row> ladder{{6, 10, 1, kNormal},   {8, 0, 1, kNormal},  {10, 0, 0, kNormal},
                                {12, 0, 1, kFixedVid}, {14, 0, 1, kNormal}, {16, 0, 1, kNormal}};
  const std::vector<Case> cases{
      {"the highest end chosen", ladder, 5, 30, true, {10, 14, 18, 0, 26, 30}},
      {"the lowest end chosen",
       {{6, 0, 1, kNormal}, {8, 0, 1, kNormal}, {16, 30, 1, kNormal}},
       0,
       10,
       true,
       {10, 14, 30}},
      {"a row between chosen", ladder, 1, 25, true, {10, 25, 0, 0, 0, 0}},
      {"auto-adjust off", ladder, 5, 30, false, {10, 0, 0, 0, 0, 30}},
      // A disabled or half-ratio end is no end: the range runs from row 1 to row 3.
      {"ends are enabled normal states",
       {{6, 5, 1, kSuperLfm},
        {8, 10, 1, kNormal},
        {12, 0, 1, kNormal},
        {16, 20, 1, kNormal},
        {16, 39, 0, kNormal}},
       3,
       26,
       true,
       {5, 10, 18, 26, 39}},
      // Both ends at one multiplier: no slope, and no division by zero.
      {"both ends at one multiplier",
       {{12, 7, 1, kNormal}, {14, 0, 0, kNormal}, {12, 22, 1, kNormal}},
       0,
       24,
       true,
       {24, 24, 22}},
      {"a row whose VID is fixed takes none", ladder, 3, 33, true, {10, 0, 0, 0, 0, 0}},
  };
  const CpuInfo cpu = PentiumM();
  for (const Case& c : cases) {
    PStateTable table = TableOf(c.rows);
    const IntermediateRange range = FindIntermediateRange(table);
    ChooseRowVid(table, cpu, c.row, c.vid, c.autoAdjust, range);
    EXPECT_EQ(VidsOf(table), c.expected) << c.what;
  }
}

TEST(StateEditor, ADefaultsPairOutsideWhatTheProcessorOffersIsRefused) {
  struct Case {
    int32_t fid, vid;
    bool offered;
  };
  // FIDs 4 and 6 need gateway FIDs 14 and 18, above this part's highest FID.
  const Case cases[] = {{10, 17, true},  {0, 63, true},   {8, 40, true},  {4, 17, false},
                        {6, 17, false},  {12, 17, false}, {1, 17, false}, {10, 16, false},
                        {10, 64, false}, {-1, 17, false}};
  const CpuInfo cpu = TurionX2();
  for (const Case& c : cases) {
    EXPECT_EQ(IsOfferedDefaultPair(cpu, c.fid, c.vid), c.offered) << c.fid << "/" << c.vid;
  }
  std::vector<int32_t> fids;
  for (const StepChoice& step : FidSteps(cpu)) fids.push_back(step.code);
  EXPECT_EQ(fids, (std::vector<int32_t>{0, 2, 8, 10}));
}

TEST(ProfileEdits, TickedStatesAreListedSlowestFirstAndOnlyUsableRowsCount) {
  // A Core 2 style table: SuperLFM at 6 runs as 3x; row 4 is switched off.
  CpuInfo cpu = PentiumM();
  const PStateTable table = TableOf({{6, 10, 1, kSuperLfm},
                                     {6, 12, 1, kNormal},
                                     {12, 20, 1, kNormal},
                                     {8, 14, 1, kNormal},
                                     {16, 30, 0, kNormal}});
  ProfileHalf half;
  SetListedStates(half, {2, 4, 1, 3, 0, 2, 70}, table, cpu);
  ASSERT_EQ(half.lastState, 3);
  EXPECT_EQ(std::vector<int32_t>(half.states.begin(), half.states.begin() + 4),
            (std::vector<int32_t>{0, 1, 3, 2}));
  SetListedThrottles(half, {8, 0, 4, 9, 4});
  ASSERT_EQ(half.lastThrottle, 1);
  EXPECT_EQ(half.throttles[0], 4);
  EXPECT_EQ(half.throttles[1], 8);
}

TEST(ProfileEdits, ATypedNameIsTrimmedAndCutToTheRecordOnACharacterBoundary) {
  EXPECT_EQ(ProfileNameFrom("   \t"), std::nullopt);
  EXPECT_EQ(ProfileNameFrom("  Quiet  "), "Quiet");
  EXPECT_EQ(ProfileNameFrom(std::string(40, 'a')), std::string(32, 'a'));
  // 31 ASCII letters and a two-byte letter do not fit: the letter goes whole.
  std::string umlaut(31, 'b');
  umlaut += "\xC3\xA4";
  EXPECT_EQ(ProfileNameFrom(umlaut), std::string(31, 'b'));
}

}  // namespace
}  // namespace pacetta
