#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"

namespace pacetta::testing {

// Small processor records whose limits and candidate lists are what identification
// would leave in them.

// AMD K8 on the even FID table: FIDs 0..10 (4x..9x), VID codes 18 (lowest voltage) to 6.
inline CpuInfo EvenTableK8() {
  CpuInfo cpu;
  cpu.isK8 = 1;
  cpu.isAmdPowerNow = 1;
  cpu.k8FidTable = 0;
  cpu.minFid = 0;
  cpu.maxFid = 10;
  cpu.startFid = 10;
  cpu.minVid = 18;
  cpu.maxVid = 6;
  cpu.startVid = 6;
  for (uint32_t fid = 0; fid <= 10; fid += 2) {
    cpu.candidates[cpu.candidateCount++] =
        PStateCandidate{fid, fid, fid, 18, 6, 6, kCandidateOrdinary};
  }
  return cpu;
}

// Intel Core 2 with a SuperLFM state (ratio 6, runs as 3) and dynamic acceleration at
// ratio 10, above the highest ratio of its limits (6..9) and at VID 45 above maxVid 40.
inline CpuInfo Core2WithIda() {
  CpuInfo cpu;
  cpu.isCore2 = 1;
  cpu.isIntelCore = 1;
  cpu.isIntelSpeedStep = 1;
  cpu.isIntelPState = 1;
  cpu.hasIda = 1;
  cpu.hasDffs = 1;
  cpu.minFid = 6;
  cpu.maxFid = 9;
  cpu.minVid = 10;
  cpu.maxVid = 40;
  cpu.candidates[cpu.candidateCount++] = PStateCandidate{6, 9, 6, 10, 40, 12, kCandidateSuperLfm};
  for (uint32_t fid = 6; fid <= 9; ++fid) {
    cpu.candidates[cpu.candidateCount++] =
        PStateCandidate{fid, fid, fid, 10, 40, 40, kCandidateOrdinary};
  }
  cpu.candidates[cpu.candidateCount++] =
      PStateCandidate{10, 10, 10, 10, 45, 45, kCandidateDynamicAcceleration};
  return cpu;
}

// Intel Pentium M: ratios 6 and 8..16, VIDs 10..40.
inline CpuInfo PentiumM() {
  CpuInfo cpu;
  cpu.isPentiumM = 1;
  cpu.isPentiumMOrCoreDuo = 1;
  cpu.isIntelSpeedStep = 1;
  cpu.isIntelPState = 1;
  cpu.minFid = 6;
  cpu.maxFid = 16;
  cpu.minVid = 10;
  cpu.maxVid = 40;
  cpu.candidates[cpu.candidateCount++] = PStateCandidate{6, 6, 6, 10, 40, 40, kCandidateOrdinary};
  for (uint32_t fid = 8; fid <= 16; ++fid) {
    cpu.candidates[cpu.candidateCount++] =
        PStateCandidate{fid, fid, fid, 10, 40, 40, kCandidateOrdinary};
  }
  return cpu;
}

}  // namespace pacetta::testing
