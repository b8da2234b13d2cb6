// Long random walks over each catalogue machine's performance states, through the
// program's own identification, limits and transition routines, against register models
// that refuse what the real parts refuse. No walk may cause a single violation, and
// every transition must end in its target.
#include <gtest/gtest.h>

#include <random>

#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/k7_transition.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/k8_transition.h"
#include "cpu/pstate/perf_control.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/pstate/vid_conversion.h"
#include "hw/pinning.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

constexpr int kSteps = 400;

class Walk {
 public:
  explicit Walk(const std::string& machine, bool system32 = false) {
    sim::SimulationOptions options;
    options.machine = machine;
    options.system32 = system32;
    options.stateFolder = folder_.File("state");
    options.settingsPath = folder_.File("settings.json");
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    EXPECT_TRUE(pc_) << error;
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    EXPECT_EQ(driver_->Open(0), 0);
    auto& platform = pc_->View();
    IdentifyContext identify{platform.processors, platform.cpu, *driver_};
    IdentifyProcessor(cpu_, identify);  // leaves the thread on processor 0
    hardware_ = std::make_unique<PStateHardware>(PStateHardware{*driver_, platform.processors, {}});
    ReadPStateLimits(cpu_, *hardware_);
    BuildCandidateList(cpu_, *hardware_);
    settings_ = DefaultPStateSettings(cpu_);
  }
  ~Walk() {
    driver_.reset();
    UnpinThread(pc_->View().processors);
  }

  CpuInfo& Cpu() { return cpu_; }
  void RebuildCandidates() { BuildCandidateList(cpu_, *hardware_); }
  CPortexDriver& Driver() { return *driver_; }
  PStateSettings& Settings() { return settings_; }

  // A plausible table: one VID index less for each FID index below the highest, never
  // below the lowest voltage offered.
  uint32_t TableVid(uint32_t fid) const {
    const int32_t below =
        FidToIndex(cpu_, cpu_.maxFid) - FidToIndex(cpu_, static_cast<int32_t>(fid));
    const int32_t index =
        std::max(VidToIndex(cpu_, cpu_.maxVid) - below, VidToIndex(cpu_, cpu_.minVid));
    return static_cast<uint32_t>(IndexToVid(cpu_, index));
  }
  std::vector<uint32_t> CandidateFids() const {
    std::vector<uint32_t> fids;
    for (uint32_t i = 0; i < cpu_.candidateCount; ++i) {
      if (cpu_.candidates[i].kind == kCandidateOrdinary)
        fids.push_back(cpu_.candidates[i].lowestFid);
    }
    return fids;
  }
  // The state the part runs at now, read afresh before each transition.
  FidVid Now() const {
    const auto state = pc_->ProcessorState(0);
    EXPECT_TRUE(state);
    return {state->current.fid, state->current.vid};
  }
  bool Settled(const FidVid& target) {
    MsrRequest request;
    // Intel parts complete some microseconds after the write; the clock moves as it is read.
    for (int reads = 0; reads < 100000; ++reads) {
      const auto state = pc_->ProcessorState(0);
      if (!state->transitionPending && state->current.fid == target.fid &&
          state->current.vid == target.vid) {
        return true;
      }
      driver_->ReadMsrValue(request, 0x198);
    }
    return false;
  }
  void ExpectNoViolations() {
    for (const auto& v : pc_->Violations()) {
      ADD_FAILURE() << "violation on CPU " << v.processor << " register 0x" << std::hex << v.index
                    << " value 0x" << v.value << ": " << v.reason;
    }
  }

 private:
  testing::TempFolder folder_;
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;
  std::unique_ptr<PStateHardware> hardware_;
  CpuInfo cpu_;
  PStateSettings settings_;
};

// A K8 walk with the stepped or the direct sequence, on the table `pstMethod` selects.
void WalkK8(const std::string& machine, uint32_t pstMethod, bool stepped, bool system32,
            uint32_t seed) {
  SCOPED_TRACE(machine + (stepped ? " stepped" : " direct") + (system32 ? " 32-bit" : ""));
  Walk walk(machine, system32);
  CpuInfo& cpu = walk.Cpu();
  ASSERT_TRUE(cpu.isK8);
  SelectK8FidTable(cpu, pstMethod);
  walk.RebuildCandidates();
  walk.Settings().k8PstMethod = pstMethod;
  const std::vector<uint32_t> fids = walk.CandidateFids();
  ASSERT_GE(fids.size(), 3u);
  TransitionEnvironment environment{walk.Driver(), walk.Settings(), {1, 1}};
  const VidForFid table = [&walk](uint32_t fid) { return walk.TableVid(fid); };
  std::mt19937 random(seed);
  for (int step = 0; step < kSteps; ++step) {
    const uint32_t fid = fids[random() % fids.size()];
    const FidVid target{fid, walk.TableVid(fid)};
    const FidVid from = walk.Now();
    const bool done = stepped ? TransitionK8Stepped(cpu, environment, from, target, table)
                              : TransitionK8Direct(cpu, environment, from, target);
    if (!stepped && !done) continue;  // a direct jump the path does not allow is skipped
    ASSERT_TRUE(done) << from.fid << " -> " << fid;
    ASSERT_TRUE(walk.Settled(target)) << from.fid << " -> " << fid;
  }
  walk.ExpectNoViolations();
}

TEST(RandomTransitions, K8SteppedWalksEndInTheirTargetsWithoutViolations) {
  WalkK8("k8-desktop", 0x08, true, false, 1);    // even table
  WalkK8("k8-x2-laptop", 0x08, true, false, 2);  // revision F
  WalkK8("k8-x2-laptop", 0x08, true, true, 3);   // 32-bit kernel routines
}

TEST(RandomTransitions, K8DirectWalksBetweenNeighbouringStates) {
  // The direct sequence changes the FID in one write, which the part allows only within
  // two codes among the high FIDs: walk among neighbours of the high states.
  for (bool system32 : {false, true}) {
    SCOPED_TRACE(system32 ? "32-bit" : "64-bit");
    Walk walk("k8-desktop", system32);
    CpuInfo& cpu = walk.Cpu();
    TransitionEnvironment environment{walk.Driver(), walk.Settings(), {1, 1}};
    std::mt19937 random(7);
    for (int step = 0; step < kSteps; ++step) {
      const FidVid from = walk.Now();
      int32_t fid = static_cast<int32_t>(from.fid) + ((random() & 1) ? 2 : -2);
      fid = std::clamp(fid, 8, cpu.maxFid);
      const FidVid target{static_cast<uint32_t>(fid), walk.TableVid(static_cast<uint32_t>(fid))};
      ASSERT_TRUE(TransitionK8Direct(cpu, environment, from, target));
      ASSERT_TRUE(walk.Settled(target)) << from.fid << " -> " << fid;
    }
    walk.ExpectNoViolations();
  }
}

TEST(RandomTransitions, K7WalksOnBothWordSizes) {
  for (bool system32 : {false, true}) {
    SCOPED_TRACE(system32 ? "32-bit" : "64-bit");
    Walk walk("k7-mobile-laptop", system32);
    CpuInfo& cpu = walk.Cpu();
    ASSERT_TRUE(cpu.isK7);
    const std::vector<uint32_t> fids = walk.CandidateFids();
    ASSERT_GE(fids.size(), 3u);
    TransitionEnvironment environment{walk.Driver(), walk.Settings(), {1, 1}};
    std::mt19937 random(11);
    for (int step = 0; step < kSteps; ++step) {
      const uint32_t fid = fids[random() % fids.size()];
      const FidVid target{fid, walk.TableVid(fid)};
      ASSERT_TRUE(TransitionK7(cpu, environment, walk.Now(), target));
      ASSERT_TRUE(walk.Settled(target)) << fid;
    }
    walk.ExpectNoViolations();
  }
}

TEST(RandomTransitions, IntelAndViaWalksWithEnhancedSpeedStepOn) {
  // The catalogue's Pentium 4 (0xF34) has no Enhanced SpeedStep: one state only.
  for (const char* machine :
       {"pentium-m-laptop", "core-duo-laptop", "core2-duo-laptop", "via-c7"}) {
    SCOPED_TRACE(machine);
    Walk walk(machine);
    MsrRequest request;
    ASSERT_TRUE(walk.Driver().ReadMsrValue(request, 0x1A0));
    ASSERT_TRUE(walk.Driver().WriteMsrValue(request, 0x1A0, request.low | 1u << 16, request.high));
    const std::vector<uint32_t> fids = walk.CandidateFids();
    ASSERT_FALSE(fids.empty());
    std::mt19937 random(13);
    for (int step = 0; step < kSteps; ++step) {
      const uint32_t fid = fids[random() % fids.size()];
      const FidVid target{fid, walk.TableVid(fid)};
      ASSERT_TRUE(WritePerfControl(walk.Driver(), target.fid, target.vid, false, 0));
      ASSERT_TRUE(walk.Settled(target)) << fid;
    }
    walk.ExpectNoViolations();
  }
}

}  // namespace
}  // namespace pacetta
