// The performance-state code against the simulated families' register models, which
// enforce what the real parts enforce: limits read from them, candidates built from the
// limits, and transitions between every pair of candidates without a recorded violation.
#include <gtest/gtest.h>

#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/clock_modulation.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/k7_transition.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/k8_transition.h"
#include "cpu/pstate/perf_control.h"
#include "cpu/pstate/vid_conversion.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta {
namespace {

using testing::Halves;
using testing::Record;
using testing::SimRig;

// The simulated processor answers CPUID as the record's leaves say.
sim::MachineSpec ModelMachine(const CpuInfo& cpu, std::map<uint32_t, uint64_t> msrStart,
                              bool system64 = true) {
  sim::ProcessorSpec processor;
  for (uint32_t leaf = 0; leaf < kStandardLeafCount; ++leaf) {
    processor.leaves[{leaf, 0}] = cpu.standardLeaves[leaf];
  }
  for (uint32_t leaf = 0; leaf < kExtendedLeafCount; ++leaf) {
    processor.leaves[{kExtendedLeafBase + leaf, 0}] = cpu.extendedLeaves[leaf];
  }
  processor.msrStart = std::move(msrStart);
  sim::MachineSpec machine;
  machine.system64 = system64;
  machine.processors = {processor};
  return machine;
}

class ModelTransitions : public ::testing::Test {
 protected:
  void Start(const CpuInfo& record, std::map<uint32_t, uint64_t> msrStart, bool system64 = true) {
    rig = std::make_unique<SimRig>(ModelMachine(record, std::move(msrStart), system64));
    rig->AttachModels();
    ASSERT_TRUE(rig->opened);
    cpu = record;
    hardware = std::make_unique<PStateHardware>(PStateHardware{rig->driver, rig->processors, {}});
    ReadPStateLimits(cpu, *hardware);
  }
  std::vector<uint32_t> CandidateFids() {
    BuildCandidateList(cpu, *hardware);
    std::vector<uint32_t> fids;
    for (uint32_t i = 0; i < cpu.candidateCount; ++i) fids.push_back(cpu.candidates[i].lowestFid);
    return fids;
  }
  // One VID index less per FID index below the highest: a plausible table.
  uint32_t TableVid(uint32_t fid) {
    const int32_t steps = FidToIndex(cpu, cpu.maxFid) - FidToIndex(cpu, static_cast<int32_t>(fid));
    return static_cast<uint32_t>(IndexToVid(cpu, VidToIndex(cpu, cpu.maxVid) - steps));
  }
  sim::OperatingPoint Now() { return rig->models.State(0)->current; }
  void ExpectNoViolations() {
    for (const auto& violation : rig->Violations()) ADD_FAILURE() << violation.reason;
  }

  std::unique_ptr<SimRig> rig;
  CpuInfo cpu;
  std::unique_ptr<PStateHardware> hardware;
  PStateSettings settings;
};

TEST_F(ModelTransitions, K8SteppedReachesEveryCandidateFromEveryOther) {
  // Revision F with 100 MHz steps, running at its highest state: FID 14 (11x), VID 18.
  const CpuInfo turion = testing::K8(0x40F82, 1u << 6);
  Start(turion, {{0xC0010042, Halves(18 << 16 | 18 << 8 | 18, 14 << 16 | 14 << 8 | 14)}});
  SelectK8FidTable(cpu, 0x08);
  const std::vector<uint32_t> fids = CandidateFids();
  EXPECT_EQ(fids, (std::vector<uint32_t>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14}));

  TransitionEnvironment environment{rig->driver, settings, {1, 1}};
  const VidForFid table = [this](uint32_t fid) { return TableVid(fid); };
  FidVid current{14, 18};
  for (uint32_t from : fids) {
    for (uint32_t to : fids) {
      if (from == to) continue;
      for (uint32_t target : {from, to}) {
        const FidVid next{target, TableVid(target)};
        ASSERT_TRUE(TransitionK8Stepped(cpu, environment, current, next, table))
            << current.fid << " -> " << target;
        ASSERT_EQ(Now(), (sim::OperatingPoint{next.fid, next.vid}));
        current = next;
      }
    }
  }
  ExpectNoViolations();
}

TEST_F(ModelTransitions, K8DirectBetweenNeighboursOnA32BitSystem) {
  const CpuInfo venice = testing::K8(0x20FF0);
  Start(venice, {{0xC0010042, Halves(6 << 16 | 6 << 8 | 6, 14 << 16 | 14 << 8 | 14)}}, false);
  TransitionEnvironment environment{rig->driver, settings, {1, 1}};
  EXPECT_TRUE(TransitionK8Direct(cpu, environment, {14, 6}, {12, 8}));
  EXPECT_EQ(Now(), (sim::OperatingPoint{12, 8}));
  EXPECT_TRUE(TransitionK8Direct(cpu, environment, {12, 8}, {14, 6}));
  EXPECT_EQ(Now(), (sim::OperatingPoint{14, 6}));
  ExpectNoViolations();
  // The part does refuse what it must: a jump outside FID 0's gateway stays undone.
  EXPECT_TRUE(TransitionK8Direct(cpu, environment, {14, 6}, {0, 6}));
  EXPECT_EQ(Now(), (sim::OperatingPoint{14, 6}));
  EXPECT_EQ(rig->Violations().size(), 1u);
}

TEST_F(ModelTransitions, K7ReachesEveryCandidate) {
  for (bool system64 : {true, false}) {
    // Mobile Athlon XP-M at 12.5x (FID 3) and VID 12 (1.400 V).
    Start(testing::K7(), {{0xC0010042, Halves(12 << 16 | 12 << 8 | 12, 3 << 16 | 3 << 8 | 3)}},
          system64);
    settings = DefaultPStateSettings(cpu);
    TransitionEnvironment environment{rig->driver, settings, {1, 1}};
    const std::vector<uint32_t> fids = CandidateFids();
    ASSERT_EQ(fids.size(), 18u);  // 3.0x to 12.5x
    FidVid current{3, 12};
    for (uint32_t fid : fids) {
      for (uint32_t target : {fid, 3u}) {
        const FidVid next{target, TableVid(target)};
        ASSERT_TRUE(TransitionK7(cpu, environment, current, next));
        ASSERT_EQ(Now(), (sim::OperatingPoint{next.fid, next.vid})) << target;
        current = next;
      }
    }
    ExpectNoViolations();
  }
}

TEST_F(ModelTransitions, PentiumMTakesEachCandidateAndClockModulationLevel) {
  CpuInfo dothan = Record("GenuineIntel", 0x6D6, {0, 1u << 22});
  dothan.standardLeaves[1].ecx |= 1u << 7;  // Enhanced SpeedStep
  Start(dothan, {});
  MsrRequest request;
  ASSERT_TRUE(rig->driver.ReadMsrValue(request, 0x1A0));
  ASSERT_TRUE(rig->driver.WriteMsrValue(request, 0x1A0, request.low | 1u << 16, request.high));
  const std::vector<uint32_t> fids = CandidateFids();
  ASSERT_FALSE(fids.empty());
  for (uint32_t fid : fids) {
    const sim::OperatingPoint target{fid, static_cast<uint32_t>(cpu.maxVid)};
    ASSERT_TRUE(WritePerfControl(rig->driver, fid, target.vid, false, 1));
    // The part needs some microseconds of the machine's clock, which moves as it is read.
    for (int reads = 0; reads < 1000 && Now() != target; ++reads) {
      rig->driver.ReadMsrValue(request, 0x198);
    }
    EXPECT_EQ(Now(), target);
  }
  for (uint32_t level = 1; level <= 8; ++level) {
    ASSERT_TRUE(WriteThrottle(cpu, rig->driver, level));
    EXPECT_EQ(rig->models.State(0)->dutyEighths, level);
  }
  ExpectNoViolations();
}

}  // namespace
}  // namespace pacetta
