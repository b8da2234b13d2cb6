#include <gtest/gtest.h>

#include "model_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kControl = 0xC0010041;
constexpr uint32_t kStatus = 0xC0010042;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint64_t kPending = 1u << 31;

// FIDVID_CTL: NewFID 5..0, NewVID 13..8, InitFidVid 16, StpGntTOCnt 51..32.
uint64_t Control(uint64_t fid, uint64_t vid, uint64_t stopGrant = 2000) {
  return stopGrant << 32 | 0x10000 | vid << 8 | fid;
}

// A FIDVID_STATUS start value: the part runs `fid`/`vid` and allows up to FID 42 and
// VID code 2.
uint64_t StartStatus(uint64_t fid, uint64_t vid) {
  return (0x12ull << 24 | 2ull << 16 | 2ull << 8 | vid) << 32 | 2ull << 24 | 42ull << 16 |
         fid << 8 | fid;
}

uint32_t CurrentFid(ModelRig& rig) {
  return rig.Read(kStatus) & 0x3F;
}
uint32_t CurrentVid(ModelRig& rig) {
  return rig.Read(kStatus) >> 32 & 0x3F;
}

TEST(K8Model, PowerOnRegistersOfAnAthlon64Venice) {
  ModelRig rig(AthlonVenice().Build());
  // 2.0 GHz = FID 0Ch at 1.40 V = VID 06h, started there; MaxRampVID 06h; revision E's
  // MinVID 12h (1.10 V) in EDX bits 29..24.
  EXPECT_EQ(rig.Read(kStatus), 0x12060606'060C0C0Cull);
  EXPECT_EQ(rig.Read(kControl), 0x060Cull);
  EXPECT_EQ(rig.Read(kHwcr), 0x0C000010ull);  // start FID in bits 29..24
  const ModelState state = rig.State();
  EXPECT_EQ(state.family, ModelFamily::kAmdK8);
  EXPECT_EQ(state.current, (OperatingPoint{0x0C, 0x06}));
  EXPECT_FALSE(state.transitionPending);
}

TEST(K8Model, RevisionFReportsSixBitVids) {
  ModelRig rig(TurionX2().Build());
  // TL-56: 1.8 GHz = FID 0Ah at 1.125 V = VID 11h; EDX bits 29..24 hold revision F flags.
  EXPECT_EQ(rig.Read(kStatus), 0x00111111'110A0A0Aull);
  // A VID in the 12.5 mV range (code 40) needs the sixth bit.
  ASSERT_TRUE(rig.Write(kControl, Control(0x0A, 40, 1)));
  rig.Advance(5);
  EXPECT_EQ(CurrentVid(rig), 40u);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(K8Model, TransitionIsPendingForTheStopGrantTime) {
  ModelRig rig(AthlonVenice().Build());
  ASSERT_TRUE(rig.Write(kControl, Control(0x0A, 0x06, 2000)));  // 2000 x 5 ns = 10 µs
  EXPECT_TRUE(rig.Read(kStatus) & kPending);
  EXPECT_EQ(CurrentFid(rig), 0x0Cu);
  EXPECT_EQ(rig.Read(kControl), Control(0x0A, 0x06, 2000));
  ModelState state = rig.State();
  EXPECT_TRUE(state.transitionPending);
  EXPECT_EQ(state.target, (OperatingPoint{0x0A, 0x06}));

  rig.Advance(9'999);
  EXPECT_TRUE(rig.Read(kStatus) & kPending);
  rig.Advance(1);
  EXPECT_FALSE(rig.Read(kStatus) & kPending);
  EXPECT_EQ(CurrentFid(rig), 0x0Au);
  state = rig.State();
  EXPECT_FALSE(state.transitionPending);
  EXPECT_EQ(state.current, (OperatingPoint{0x0A, 0x06}));

  // A VID step with the count of one period completes at once.
  ASSERT_TRUE(rig.Write(kControl, Control(0x0A, 0x08, 1)));
  rig.Advance(5);
  EXPECT_EQ(CurrentVid(rig), 0x08u);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(K8Model, ControlWithoutInitFidVidOnlyStagesTheFields) {
  ModelRig rig(AthlonVenice().Build());
  ASSERT_TRUE(rig.Write(kControl, 0x0A | 0x06 << 8));
  EXPECT_FALSE(rig.Read(kStatus) & kPending);
  EXPECT_EQ(rig.Read(kControl), 0x060Aull);
  rig.Advance(1'000'000);
  EXPECT_EQ(CurrentFid(rig), 0x0Cu);
}

TEST(K8Model, WriteWhilePendingIsRefusedAndLogged) {
  ModelRig rig(AthlonVenice().Build());
  ASSERT_TRUE(rig.Write(kControl, Control(0x0A, 0x06)));
  rig.Advance(5'000);
  ASSERT_TRUE(rig.Write(kControl, Control(0x0A, 0x08)));
  const auto violations = rig.Violations();
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].processor, 0u);
  EXPECT_EQ(violations[0].index, kControl);
  EXPECT_EQ(violations[0].value, Control(0x0A, 0x08));
  EXPECT_NE(violations[0].reason.find("pending"), std::string::npos);
  rig.Advance(5'000);
  EXPECT_EQ(rig.State().current, (OperatingPoint{0x0A, 0x06}));
  EXPECT_EQ(rig.Read(kControl), Control(0x0A, 0x06));
}

struct FidMove {
  uint32_t from;
  uint32_t to;
  bool legal;
};

void ExpectFidMoves(CpuBuilder cpu, const std::vector<FidMove>& moves) {
  for (const FidMove& move : moves) {
    ModelRig rig(cpu.Build({{kStatus, StartStatus(move.from, 0x0A)}}));
    ASSERT_TRUE(rig.Write(kControl, Control(move.to, 0x0A)));
    rig.Advance(20'000);
    const bool refused = !rig.Violations().empty();
    EXPECT_EQ(refused, !move.legal) << move.from << " -> " << move.to;
    EXPECT_EQ(CurrentFid(rig), move.legal ? move.to : move.from) << move.from << " -> " << move.to;
  }
}

TEST(K8Model, FidChangesOfAPartWith200MhzSteps) {
  ExpectFidMoves(AthlonVenice(), {
                                     {12, 10, true},  // high to high: 200 MHz
                                     {12, 14, true},
                                     {12, 8, false},  // 400 MHz in one step
                                     {40, 42, true},
                                     {8, 0, true},  // into FID 0 from its gateway 8..10
                                     {10, 0, true},
                                     {12, 0, false},  // above the gateway
                                     {0, 10, true},   // out of FID 0 to its gateway
                                     {0, 12, false},
                                     {14, 4, true},  // FID 4's gateway is 14..18
                                     {20, 4, false},
                                     {2, 0, false},  // low to low only through a gateway
                                     {4, 6, false},
                                     {12, 11, false},  // no odd FIDs without 100 MHz steps
                                 });
}

TEST(K8Model, FidChangesOfAPartWith100MhzSteps) {
  ExpectFidMoves(TurionX2(), {
                                 {10, 11, true},
                                 {9, 1, true},  // FID 1's gateway is 8..12
                                 {13, 1, false},
                                 {1, 12, true},
                                 {8, 7, false},  // FID 7's gateway is 20..24
                                 {1, 0, true},   // neighbouring low FIDs
                                 {0, 2, false},
                             });
}

TEST(K8Model, LimitsOfThePartAreEnforced) {
  struct Case {
    uint64_t control;
    const char* reason;
  };
  for (const Case& c : {Case{Control(0x0E, 0x06), "above MaxFID"},
                        Case{Control(0x0C, 0x05), "above the maximum voltage"},
                        Case{Control(0x0A, 0x08), "in one write"}}) {
    ModelRig rig(AthlonVenice().Build());
    const uint64_t statusBefore = rig.Read(kStatus);
    ASSERT_TRUE(rig.Write(kControl, c.control));  // the write itself does not fault
    rig.Advance(100'000);
    EXPECT_EQ(rig.Read(kStatus), statusBefore) << c.reason;
    EXPECT_EQ(rig.Read(kControl), 0x060Cull) << c.reason;
    const auto violations = rig.Violations();
    ASSERT_EQ(violations.size(), 1u) << c.reason;
    EXPECT_NE(violations[0].reason.find(c.reason), std::string::npos) << violations[0].reason;
  }
  // A lower voltage than the start is within the part's range.
  ModelRig rig(AthlonVenice().Build());
  ASSERT_TRUE(rig.Write(kControl, Control(0x0C, 0x10, 1)));
  rig.Advance(10);
  EXPECT_EQ(CurrentVid(rig), 0x10u);
  EXPECT_TRUE(rig.Violations().empty());
}

TEST(K8Model, StatusIsReadOnlyAndStartValuesOverridePowerOn) {
  const uint64_t start = 0x14040A06'840E0C08ull | kPending;  // pending at power-on is nonsense
  ModelRig rig(AthlonVenice().Build({{kStatus, start}, {kHwcr, 0x0E000010}}));
  EXPECT_EQ(rig.Read(kStatus), start & ~kPending);
  EXPECT_EQ(rig.State().current, (OperatingPoint{0x08, 0x06}));
  EXPECT_EQ(rig.Read(kHwcr), 0x0E000010ull);
  EXPECT_FALSE(rig.Write(kStatus, 0));
  // HWCR: the start FID is the hardware's, the rest is software's.
  ASSERT_TRUE(rig.Write(kHwcr, 0));
  EXPECT_EQ(rig.Read(kHwcr), 0x0E000000ull);
}

TEST(K8Model, PartWithoutFidVidControlHasOnlyItsStartFid) {
  ModelRig rig(CpuBuilder("AuthenticAMD", 0x20FC2, "AMD Sempron(tm) Processor 3000+")
                   .PowerManagement(0x01)
                   .Build());
  uint64_t value = 0;
  EXPECT_FALSE(rig.TryRead(kStatus, value));
  EXPECT_FALSE(rig.TryRead(kControl, value));
  EXPECT_FALSE(rig.Write(kControl, Control(0x0A, 0x06)));
  EXPECT_EQ(rig.Read(kHwcr) >> 24 & 0x3F, 0x0Cu);
}

}  // namespace
}  // namespace pacetta::sim::testing
