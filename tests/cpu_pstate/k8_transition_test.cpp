#include "cpu/pstate/k8_transition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "cpu/pstate/vid_conversion.h"
#include "tests/cpu_pstate/k8_rules.h"
#include "tests/cpu_pstate/transition_rig.h"

namespace pacetta {
namespace {

using testing::Delay;
using testing::TransitionRig;
using testing::Write;
using Trace = std::vector<std::string>;

// A K8 before NPT: VID index = 31 - VID code; highest voltage at code `maxVid`.
CpuInfo K8WithMaxVid(int32_t maxVid) {
  CpuInfo cpu = testing::K8();
  cpu.maxVid = maxVid;
  return cpu;
}

TEST(K8Direct, UpRaisesToTheRampAtTheOldFidAndSettlesAtTheNewOne) {
  // FID 8 at VID index 10 (code 21) to FID 12 at index 14 (code 17), ramp 50 mV = 2 steps.
  TransitionRig sim(8, 21);
  EXPECT_TRUE(TransitionK8Direct(K8WithMaxVid(0), sim.environment, {8, 21}, {12, 17}));
  EXPECT_EQ(sim.Trace(), (Trace{Write(8, 20, 1), Write(8, 19, 1), Write(8, 18, 1), Write(8, 17, 1),
                                Write(8, 16, 1), Write(8, 15, 1), Write(12, 15, 2000),
                                Write(12, 16, 1), Write(12, 17, 1)}));
}

TEST(K8Direct, RampIsCappedAtTheHighestVoltage) {
  TransitionRig sim(8, 21);
  EXPECT_TRUE(TransitionK8Direct(K8WithMaxVid(16), sim.environment, {8, 21}, {12, 17}));
  EXPECT_EQ(sim.Trace(), (Trace{Write(8, 20, 1), Write(8, 19, 1), Write(8, 18, 1), Write(8, 17, 1),
                                Write(8, 16, 1), Write(12, 16, 2000), Write(12, 17, 1)}));
}

TEST(K8Direct, DownRampsFromTheCurrentVoltage) {
  TransitionRig sim(12, 17);
  EXPECT_TRUE(TransitionK8Direct(K8WithMaxVid(0), sim.environment, {12, 17}, {8, 20}));
  EXPECT_EQ(sim.Trace(),
            (Trace{Write(12, 16, 1), Write(12, 15, 1), Write(8, 15, 2000), Write(8, 16, 1),
                   Write(8, 17, 1), Write(8, 18, 1), Write(8, 19, 1), Write(8, 20, 1)}));
}

TEST(K8Direct, AVoltageAboveTheRampIsKeptThroughTheFidChange) {
  // VID index 20 (code 11) is above the target's 14 plus the ramp: FID and VID must not
  // change in one write.
  TransitionRig sim(8, 11);
  EXPECT_TRUE(TransitionK8Direct(K8WithMaxVid(0), sim.environment, {8, 11}, {12, 14}));
  EXPECT_EQ(sim.Trace(),
            (Trace{Write(12, 11, 2000), Write(12, 12, 1), Write(12, 13, 1), Write(12, 14, 1)}));
}

TEST(K8Direct, SameFidStepsTheVoltageOnly) {
  TransitionRig sim(8, 21);
  const CpuInfo cpu = K8WithMaxVid(0);
  EXPECT_TRUE(TransitionK8Direct(cpu, sim.environment, {8, 21}, {8, 19}));
  EXPECT_TRUE(TransitionK8Direct(cpu, sim.environment, {8, 19}, {8, 20}));
  EXPECT_TRUE(TransitionK8Direct(cpu, sim.environment, {8, 20}, {8, 20}));
  EXPECT_EQ(sim.Trace(), (Trace{Write(8, 20, 1), Write(8, 19, 1), Write(8, 20, 1)}));
}

TEST(K8Direct, On32BitSystemsEveryWriteIsTheKernelRoutineFollowedByItsDelay) {
  TransitionRig sim(8, 21, false);
  sim.settings.k8RampVoltageOffsetMv = 0;
  EXPECT_TRUE(TransitionK8Direct(K8WithMaxVid(0), sim.environment, {8, 21}, {10, 20}));
  const auto requests = sim.rig.Requests();
  EXPECT_TRUE(std::none_of(requests.begin(), requests.end(),
                           [](const auto& r) { return r.code == driver::kWriteMsr; }));
  EXPECT_EQ(testing::Trace(requests),
            (Trace{Write(8, 20, 1), Delay(3), Write(10, 20, 2000), Delay(7)}));
}

TEST(K8Direct, CodesWithoutAnIndexWriteNothing) {
  TransitionRig sim(8, 21);
  const CpuInfo cpu = K8WithMaxVid(0);
  EXPECT_FALSE(TransitionK8Direct(cpu, sim.environment, {8, 21}, {43, 17}));
  EXPECT_FALSE(TransitionK8Direct(cpu, sim.environment, {8, 21}, {12, 32}));
  EXPECT_FALSE(TransitionK8Direct(cpu, sim.environment, {8, 0xFFFFFFFF}, {12, 17}));
  EXPECT_FALSE(TransitionK8Direct(K8WithMaxVid(40), sim.environment, {8, 21}, {12, 17}));
  EXPECT_TRUE(sim.Trace().empty());
}

TEST(K8Direct, StopsAtAWriteThatFailsOrNeverCompletes) {
  sim::SimFaults faults;
  faults.failingMsrWrites = {0xC0010041};
  TransitionRig failing(8, 21, true, {}, faults);
  EXPECT_FALSE(TransitionK8Direct(K8WithMaxVid(0), failing.environment, {8, 21}, {12, 17}));
  EXPECT_EQ(failing.Trace().size(), 1u);

  TransitionRig pending(8, 21, true, {{0xC0010042, 0x80000008}});
  EXPECT_FALSE(TransitionK8Direct(K8WithMaxVid(0), pending.environment, {8, 21}, {12, 17}));
  EXPECT_EQ(pending.Trace().size(), 1u);
}

// The performance-state table's VID for each FID: one index (25 mV) more per FID code.
uint32_t TableVid(uint32_t fid) {
  return 30 - fid / 2;
}

TEST(K8Stepped, WalksTheLegalPathWithEnoughVoltageAtEveryFidChange) {
  for (auto [from, to, fine] : {std::tuple{0u, 42u, false},
                                {42u, 0u, false},
                                {4u, 6u, false},
                                {8u, 2u, true},
                                {1u, 31u, true}}) {
    TransitionRig sim(from, TableVid(from));
    CpuInfo cpu = K8WithMaxVid(0);
    cpu.k8FidTable = fine ? 16 : 0;
    ASSERT_TRUE(TransitionK8Stepped(cpu, sim.environment, {from, TableVid(from)},
                                    {to, TableVid(to) - 1}, TableVid));
    int32_t fid = static_cast<int32_t>(from);
    for (const std::string& event : sim.Trace()) {
      int32_t written = 0, vid = 0, stopGrant = 0;
      ASSERT_EQ(std::sscanf(event.c_str(), "fid %d vid %d sg %d", &written, &vid, &stopGrant), 3);
      if (stopGrant == 1) {
        EXPECT_EQ(written, fid) << event;  // voltage steps keep the FID
        continue;
      }
      EXPECT_TRUE(testing::LegalHop(fid, written, fine)) << fid << " -> " << written;
      const int32_t needed = std::min(TableVid(fid), TableVid(written));  // lower code = more
      EXPECT_LE(vid, needed) << "FID change " << fid << " -> " << written;
      fid = written;
    }
    EXPECT_EQ(fid, static_cast<int32_t>(to));
    const uint64_t status = *sim.rig.Bank(0).WithStorage([](auto& s) { return s.Get(0xC0010042); });
    EXPECT_EQ(status >> 32 & 0x3F, TableVid(to) - 1);
  }
}

TEST(K8Stepped, EndsWhenTheProcessorIgnoresAFidWrite) {
  TransitionRig sim(8, 26);
  sim.processor->fidAfter = [](uint32_t current, uint32_t) { return current; };
  EXPECT_FALSE(TransitionK8Stepped(K8WithMaxVid(0), sim.environment, {8, 26}, {42, 9}, TableVid));
  const Trace trace = sim.Trace();
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& e) { return e.ends_with("sg 2000"); }),
            1);
}

TEST(K8Stepped, AProcessorThatNeverArrivesGetsAtMostOneHopPerFidCode) {
  TransitionRig sim(8, 26);
  // It lands 4 codes short of every FID it is sent to upwards: 8 -> 6 -> 18 -> 16 -> ...
  sim.processor->fidAfter = [](uint32_t current, uint32_t written) {
    return written > current ? written - 4 : written;
  };
  EXPECT_FALSE(TransitionK8Stepped(K8WithMaxVid(0), sim.environment, {8, 26}, {42, 9}, TableVid));
  const Trace trace = sim.Trace();
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& e) { return e.ends_with("sg 2000"); }),
            43);
}

TEST(K8Stepped, WithoutATableRowTheHigherVoltageIsKept) {
  TransitionRig sim(8, 26);
  EXPECT_TRUE(TransitionK8Stepped(K8WithMaxVid(0), sim.environment, {8, 26}, {12, 24}, {}));
  EXPECT_EQ(sim.Trace(),
            (Trace{Write(8, 25, 1), Write(8, 24, 1), Write(8, 23, 1), Write(8, 22, 1),
                   Write(10, 22, 2000), Write(10, 23, 1), Write(10, 24, 1), Write(10, 23, 1),
                   Write(10, 22, 1), Write(12, 22, 2000), Write(12, 23, 1), Write(12, 24, 1)}));
}

TEST(K8RampSteps, OffsetRoundsToWholeVidSteps) {
  for (auto [millivolts, steps] : {std::pair{50, 2}, {75, 3}, {12, 0}, {13, 1}, {0, 0}, {-50, 0}}) {
    PStateSettings settings;
    settings.k8RampVoltageOffsetMv = millivolts;
    EXPECT_EQ(K8RampSteps(settings), steps) << millivolts;
  }
}

}  // namespace
}  // namespace pacetta
