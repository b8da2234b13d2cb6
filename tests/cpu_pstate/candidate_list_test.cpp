#include "cpu/pstate/candidate_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "cpu/pstate/k8_fid_table.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta {
namespace {

using testing::Halves;
using testing::Record;

std::vector<uint32_t> Fids(const CpuInfo& cpu) {
  std::vector<uint32_t> fids;
  for (uint32_t i = 0; i < cpu.candidateCount; ++i) fids.push_back(cpu.candidates[i].lowestFid);
  return fids;
}

class CandidateList : public ::testing::Test {
 protected:
  void Build(CpuInfo& cpu) { BuildCandidateList(cpu, hardware); }
  void SetLimits(CpuInfo& cpu, int32_t minFid, int32_t maxFid, int32_t minVid, int32_t maxVid) {
    cpu.minFid = minFid, cpu.maxFid = maxFid, cpu.minVid = minVid, cpu.maxVid = maxVid;
  }

  // Core 2 states register 0xCE: SuperLFM ratio 6 at VID 12, acceleration 11 at VID 45.
  testing::SimRig rig{testing::Machine({{0xCE, Halves(11 << 8 | 45, 6 << 8 | 12)}}, 1)};
  PStateHardware hardware{rig.driver, rig.processors, {}};
};

TEST_F(CandidateList, K8RestrictedTableOffersOnlyReachableLowFids) {
  CpuInfo cpu = testing::K8();
  SetLimits(cpu, 0, 16, 18, 2);
  SelectK8FidTable(cpu, 0x08);
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{0, 2, 4, 8, 10, 12, 14, 16}));
  const PStateCandidate& first = cpu.candidates[0];
  EXPECT_EQ(first.highestFid, 0u);
  EXPECT_EQ(first.defaultFid, 0u);
  EXPECT_EQ(first.lowestVid, 18u);
  EXPECT_EQ(first.highestVid, 2u);
  EXPECT_EQ(first.defaultVid, 2u);
  EXPECT_EQ(first.kind, kCandidateOrdinary);

  // Rebuilding starts from an empty list; FID 4 (gateway 14..18) is out of reach of a
  // part whose highest FID is 10, even on the table chosen for 16.
  cpu.maxFid = 10;
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{0, 2, 8, 10}));
  EXPECT_EQ(cpu.candidates[4].lowestFid, 0u);
}

TEST_F(CandidateList, K8FullTablesLeaveOutLowFidsAboveTheHighestFid) {
  // Direct transitions keep the whole even or fine table, but a low FID is entered only
  // from its gateway set: 2 needs 10, 4 needs 14, 6 needs 18; with 100 MHz steps 1 needs
  // 8 and 3 needs 12.
  CpuInfo cpu = testing::K8();
  SetLimits(cpu, 0, 10, 30, 14);
  SelectK8FidTable(cpu, 0);
  ASSERT_EQ(cpu.k8FidTable, k8::kEvenTable);
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{0, 2, 8, 10}));
  cpu.maxFid = 14;
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{0, 2, 4, 8, 10, 12, 14}));
  cpu.minFid = 2;
  cpu.maxFid = 8;  // FID 2 is the lowest the link allows, yet out of reach
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{8}));

  cpu.minFid = 0;
  cpu.maxFid = 11;
  SelectK8FidTable(cpu, 0x10);
  ASSERT_EQ(cpu.k8FidTable, k8::kFineTable);
  Build(cpu);
  EXPECT_EQ(Fids(cpu), (std::vector<uint32_t>{0, 1, 2, 8, 9, 10, 11}));

  // An unlocked part reaches every gateway.
  cpu.maxFid = 42;
  SelectK8FidTable(cpu, 0);
  Build(cpu);
  EXPECT_EQ(cpu.candidateCount, 22u);
  EXPECT_EQ(Fids(cpu)[3], 6u);
}

TEST_F(CandidateList, K8SelectedTableAndTheGatewaysAgreeOnEveryHighestFid) {
  // With the stepped path the table itself offers only reachable low FIDs; the list is
  // then the same whichever rule speaks.
  for (uint32_t method : {0x08u, 0x18u}) {
    const int32_t step = method == 0x08u ? 2 : 1;  // 200 MHz parts have even FIDs only
    for (int32_t maxFid = 8; maxFid <= 20; maxFid += step) {
      CpuInfo cpu = testing::K8();
      SetLimits(cpu, 0, maxFid, 30, 14);
      SelectK8FidTable(cpu, method);
      Build(cpu);
      for (uint32_t fid = 0; fid < static_cast<uint32_t>(k8::kFirstHighFid); ++fid) {
        const bool offered =
            k8::FidOfIndex(cpu.k8FidTable,
                           k8::FidIndex(cpu.k8FidTable, static_cast<int32_t>(fid))) ==
            static_cast<int32_t>(fid);
        const std::vector<uint32_t> fids = Fids(cpu);
        const bool listed = std::find(fids.begin(), fids.end(), fid) != fids.end();
        EXPECT_EQ(listed, offered) << "method " << method << " max " << maxFid << " FID " << fid;
      }
    }
  }
}

TEST_F(CandidateList, OnlyFamiliesWithFidControlGetStates) {
  CpuInfo pentiumM = Record("GenuineIntel", 0x6D6);
  SetLimits(pentiumM, 6, 10, 20, 40);
  Build(pentiumM);
  EXPECT_EQ(Fids(pentiumM), (std::vector<uint32_t>{6, 8, 9, 10}));
  for (CpuInfo cpu : {Record("AuthenticAMD", 0xF4A) /* no FID/VID control */,
                      Record("GenuineTMx86", 0x543), Record("GenuineIntel", 0xF27)}) {
    SetLimits(cpu, 6, 10, 20, 40);
    Build(cpu);
    EXPECT_EQ(cpu.candidateCount, 0u);
  }
}

TEST_F(CandidateList, BadLimitsNeverOverrunTheListOrUseNegativeFids) {
  CpuInfo c7 = Record("CentaurHauls", 0x6A9);
  SetLimits(c7, 0, 255, 255, 255);  // 8-bit fields of a failed read
  Build(c7);
  EXPECT_EQ(c7.candidateCount, kMaxPStateCandidates);
  EXPECT_EQ(c7.candidates.back().lowestFid, 63u);

  CpuInfo prescott = Record("GenuineIntel", 0xF41);
  SetLimits(prescott, -4, 3, 10, 40);
  Build(prescott);
  EXPECT_EQ(Fids(prescott), (std::vector<uint32_t>{0, 1, 2, 3}));

  CpuInfo k8 = testing::K8();
  SetLimits(k8, 0, 63, 30, 63);  // failed status read: no FID above 42 exists
  Build(k8);
  EXPECT_EQ(k8.candidateCount, 0u);
}

TEST_F(CandidateList, Core2AddsSuperLfmFirstAndAccelerationLast) {
  CpuInfo penryn = Record("GenuineIntel", 0x6FD, {0, 0, 0x2});
  penryn.index = 1;
  SetLimits(penryn, 8, 10, 20, 40);
  Build(penryn);
  EXPECT_EQ(rig.processors.CurrentProcessor(), 1u);
  ASSERT_EQ(penryn.candidateCount, 5u);
  const PStateCandidate& slfm = penryn.candidates[0];
  EXPECT_EQ(slfm.kind, kCandidateSuperLfm);
  EXPECT_EQ(std::vector<uint32_t>({slfm.lowestFid, slfm.highestFid, slfm.defaultFid}),
            (std::vector<uint32_t>{8, 10, 6}));
  EXPECT_EQ(std::vector<uint32_t>({slfm.lowestVid, slfm.highestVid, slfm.defaultVid}),
            (std::vector<uint32_t>{20, 40, 12}));
  EXPECT_EQ(penryn.candidates[1].lowestFid, 8u);
  const PStateCandidate& ida = penryn.candidates[4];
  EXPECT_EQ(ida.kind, kCandidateDynamicAcceleration);
  EXPECT_EQ(std::vector<uint32_t>(
                {ida.lowestFid, ida.defaultFid, ida.lowestVid, ida.highestVid, ida.defaultVid}),
            (std::vector<uint32_t>{11, 11, 20, 45, 45}));

  // A failed read of the states register leaves both special states out.
  penryn.index = 0;
  Build(penryn);
  EXPECT_EQ(Fids(penryn), (std::vector<uint32_t>{8, 9, 10}));
}

}  // namespace
}  // namespace pacetta
