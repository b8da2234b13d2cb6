#include <gtest/gtest.h>

#include <algorithm>

#include "cpu/pstate/amd_fid_vid_write.h"
#include "cpu/pstate/k7_transition.h"
#include "tests/cpu_pstate/transition_rig.h"

namespace pacetta {
namespace {

using testing::Control;
using testing::Delay;
using testing::TransitionRig;
using Trace = std::vector<std::string>;

size_t Count(const std::vector<testing::SentRequest>& requests, uint32_t code) {
  return std::count_if(requests.begin(), requests.end(),
                       [code](const auto& r) { return r.code == code; });
}

TEST(FidVidWrite, SixtyFourBitPollEndsWhenThePendingBitClears) {
  TransitionRig sim(8, 20);
  const FidVidWriteResult result = WriteFidVidControl(sim.rig.driver, 0x1140A, 2000);
  EXPECT_TRUE(result.written && result.completed);
  EXPECT_EQ(result.statusReads, 1u);
  const auto requests = sim.rig.Requests();
  EXPECT_EQ(Count(requests, driver::kRunKernelRoutine), 0u);
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{0xC0010041, 2000, 0x1140A}));
}

TEST(FidVidWrite, AStatusThatNeverClearsIsPolledABoundedNumberOfTimes) {
  TransitionRig sim(8, 20, true, {{0xC0010042, 0x80000000}});
  const FidVidWriteResult result = WriteFidVidControl(sim.rig.driver, 0x1140A, 2000);
  EXPECT_TRUE(result.written);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.statusReads, kMaxFidVidStatusReads);
  EXPECT_EQ(Count(sim.rig.Requests(), driver::kReadMsr), kMaxFidVidStatusReads);
}

TEST(FidVidWrite, AFailedStatusReadEndsThePoll) {
  sim::SimFaults faults;
  faults.failingMsrReads = {0xC0010042};
  TransitionRig sim(8, 20, true, {}, faults);
  const FidVidWriteResult result = WriteFidVidControl(sim.rig.driver, 0x1140A, 2000);
  EXPECT_TRUE(result.written);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.statusReads, 1u);
}

TEST(FidVidWrite, ThirtyTwoBitSystemsUseTheKernelRoutineOnly) {
  TransitionRig sim(8, 20, false);
  EXPECT_TRUE(WriteFidVidControl(sim.rig.driver, 0x1140A, 2000).completed);
  const auto requests = sim.rig.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{0x1140A, 0, 0, 2000, 0, 0, 5}));
}

// K7: FID control word FID | 0x10000 with the stop-grant count (traced like a K8 write
// with VID 0); VID control word VID << 8 | 0x20000 with count 100. FID 4 is 5.0x, FID 12
// is 9.0x.
std::string FidWord(uint32_t fid) {
  return testing::Write(fid, 0, 10000);
}
std::string VidWord(uint32_t vid) {
  return Control(vid << 8 | 0x20000, 100);
}

TEST(K7Transition, SlowerWritesTheFidFirstFasterTheVid) {
  const CpuInfo cpu = testing::K7();
  struct Case {
    FidVid from, to;
    Trace expected;
  };
  const std::vector<Case> cases = {
      {{12, 10}, {4, 20}, {FidWord(4), Delay(7), VidWord(20), Delay(3)}},
      {{4, 20}, {12, 10}, {VidWord(10), Delay(3), FidWord(12), Delay(7)}},
      {{12, 10}, {4, 10}, {FidWord(4), Delay(7)}},
      {{4, 10}, {12, 10}, {FidWord(12), Delay(7)}},
      {{12, 10}, {12, 14}, {VidWord(14), Delay(3)}},
      {{12, 10}, {12, 10}, {}},
  };
  for (const Case& c : cases) {
    TransitionRig sim(c.from.fid, c.from.vid, false);
    sim.settings = DefaultPStateSettings(cpu);
    EXPECT_TRUE(TransitionK7(cpu, sim.environment, c.from, c.to));
    EXPECT_EQ(sim.Trace(), c.expected) << c.from.fid << " -> " << c.to.fid;
  }
}

TEST(K7Transition, RefusesCodesOutsideFiveBitsAndStopsAtAFailedWrite) {
  const CpuInfo cpu = testing::K7();
  TransitionRig sim(12, 10, false);
  EXPECT_FALSE(TransitionK7(cpu, sim.environment, {12, 10}, {32, 10}));
  EXPECT_FALSE(TransitionK7(cpu, sim.environment, {12, 10}, {4, 40}));
  EXPECT_TRUE(sim.Trace().empty());

  sim::SimFaults faults;
  faults.failingMsrWrites = {0xC0010041};
  TransitionRig failing(4, 20, true, {}, faults);
  EXPECT_FALSE(TransitionK7(cpu, failing.environment, {4, 20}, {12, 10}));
  EXPECT_EQ(failing.Trace().size(), 1u);  // the VID write only: no faster clock without it
}

TEST(PStateSettings, FamilyDefaults) {
  EXPECT_EQ(DefaultPStateSettings(testing::K7()).stopGrantTimeoutCount, 10000u);
  const PStateSettings k8 = DefaultPStateSettings(testing::K8());
  EXPECT_EQ(std::tuple(k8.stopGrantTimeoutCount, k8.fidDelayUs, k8.vidDelayUs, k8.k8PstMethod,
                       k8.k8RampVoltageOffsetMv),
            std::tuple(2000u, 80u, 100u, 0u, 50));
  const PStateSettings intel = DefaultPStateSettings(testing::Record("GenuineIntel", 0x6D6));
  EXPECT_EQ(std::tuple(intel.stopGrantTimeoutCount, intel.fidDelayUs, intel.vidDelayUs),
            std::tuple(1u, 0u, 0u));
}

}  // namespace
}  // namespace pacetta
