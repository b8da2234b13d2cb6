#include "cpu/pstate/candidate_list.h"

#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/k8_fid_path.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/pstate_registers.h"
#include "hw/pinning.h"

namespace pacetta {

namespace {

using pstate::Field;

bool Add(CpuInfo& cpu, const PStateCandidate& candidate) {
  if (cpu.candidateCount >= kMaxPStateCandidates) return false;
  cpu.candidates[cpu.candidateCount++] = candidate;
  return true;
}

PStateCandidate Ordinary(uint32_t fid, const CpuInfo& cpu) {
  return {fid,
          fid,
          fid,
          static_cast<uint32_t>(cpu.minVid),
          static_cast<uint32_t>(cpu.maxVid),
          static_cast<uint32_t>(cpu.maxVid),
          kCandidateOrdinary};
}

void AddOrdinaryStates(CpuInfo& cpu) {
  // A lowest FID that a bad read made negative starts the list at index 0; a highest
  // FID from a bad read of an 8-bit field (255) is bounded by the list size.
  const int32_t first = cpu.minFid < 0 ? 0 : FidToIndex(cpu, cpu.minFid);
  const int32_t last = FidToIndex(cpu, cpu.maxFid);
  if (first < 0) return;
  for (int32_t index = first; index <= last; ++index) {
    const int32_t fid = IndexToFid(cpu, index);
    // The even table offers low FIDs whatever the part's highest FID: FID 4 needs 14.
    if (fid < 0 || !CanReachFid(cpu, fid)) continue;
    if (!Add(cpu, Ordinary(static_cast<uint32_t>(fid), cpu))) return;
  }
}

bool HasOrdinaryStates(const CpuInfo& cpu) {
  return ((cpu.isK7 || cpu.isK8) && SupportsFidVidControl(cpu)) || cpu.isPentium4Prescott ||
         cpu.isPentiumMOrCoreDuo || cpu.isViaC7;
}

// Core 2: register 0xCE holds the SuperLFM state in EAX (ratio 12..8, VID 5..0) and the
// dynamic-acceleration state in EDX (ratio 12..8, VID 5..0). A failed read leaves both
// out: all ones would name a ratio and voltage the part does not have.
void BuildCore2List(CpuInfo& cpu, PStateHardware& hardware) {
  PinToProcessor(hardware.processors, cpu.index);
  MsrRequest states;
  const bool read = hardware.driver.ReadMsrValue(states, msr::kPlatformInfo);
  if (read && cpu.hasDffs) {
    Add(cpu, {static_cast<uint32_t>(cpu.minFid), static_cast<uint32_t>(cpu.maxFid),
              static_cast<uint32_t>(Field(states.low, 12, 8)), static_cast<uint32_t>(cpu.minVid),
              static_cast<uint32_t>(cpu.maxVid), static_cast<uint32_t>(Field(states.low, 5, 0)),
              kCandidateSuperLfm});
  }
  AddOrdinaryStates(cpu);
  if (read && cpu.hasIda) {
    const auto fid = static_cast<uint32_t>(Field(states.high, 12, 8));
    const auto vid = static_cast<uint32_t>(Field(states.high, 5, 0));
    Add(cpu, {fid, fid, fid, static_cast<uint32_t>(cpu.minVid), vid, vid,
              kCandidateDynamicAcceleration});
  }
}

}  // namespace

bool CanReachFid(const CpuInfo& cpu, int32_t fid) {
  if (!cpu.isK8) return true;
  const auto gateway = k8::Gateway(fid);
  return !gateway || gateway->lowest <= cpu.maxFid;
}

void BuildCandidateList(CpuInfo& cpu, PStateHardware& hardware) {
  cpu.candidateCount = 0;
  cpu.candidates.fill({});
  if (cpu.isCore2) {
    BuildCore2List(cpu, hardware);
  } else if (HasOrdinaryStates(cpu)) {
    AddOrdinaryStates(cpu);
  }
}

void ApplyK8FidTable(CpuInfo& cpu, uint32_t pstMethod) {
  if (!cpu.isK8) return;
  SelectK8FidTable(cpu, pstMethod);
  cpu.candidateCount = 0;
  cpu.candidates.fill({});
  if (HasOrdinaryStates(cpu)) AddOrdinaryStates(cpu);
}

}  // namespace pacetta
