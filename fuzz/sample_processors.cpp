#include "fuzz/sample_processors.h"

#include <array>

#include "cpu/pstate/k8_fid_table.h"

namespace pacetta::fuzz {
namespace {

void AddCandidate(CpuInfo& cpu, uint32_t fid, uint32_t vid) {
  PStateCandidate& candidate = cpu.candidates[cpu.candidateCount++];
  candidate.lowestFid = candidate.highestFid = candidate.defaultFid = fid;
  candidate.lowestVid = candidate.highestVid = candidate.defaultVid = vid;
  candidate.kind = kCandidateOrdinary;
}

CpuInfo K8() {
  CpuInfo cpu;
  cpu.isK8 = cpu.isMobileK8 = cpu.isAmdPowerNow = 1;
  // FID codes 8 (1600 MHz) to 14 (2200 MHz) in 200 MHz steps; VID codes fall as the
  // voltage rises.
  cpu.minFid = 8;
  cpu.maxFid = 14;
  cpu.startFid = 14;
  cpu.minVid = 18;
  cpu.maxVid = 6;
  cpu.startVid = 6;
  cpu.k8FidTable = k8::kEvenTable;
  AddCandidate(cpu, 8, 18);
  AddCandidate(cpu, 10, 14);
  AddCandidate(cpu, 12, 10);
  AddCandidate(cpu, 14, 6);
  cpu.standardLeaves[0] = {1, 0x68747541, 0x444D4163, 0x69746E65};
  cpu.standardLeaves[1] = {0x00020FF0, 0x00000800, 0x00000001, 0x078BFBFF};
  return cpu;
}

CpuInfo PentiumM() {
  CpuInfo cpu;
  cpu.isIntelP6 = cpu.isPentiumM = cpu.isPentiumMOrCoreDuo = 1;
  cpu.isIntelSpeedStep = cpu.isIntelPState = cpu.isIntelSupported = 1;
  cpu.minFid = 6;
  cpu.maxFid = 16;
  cpu.startFid = 16;
  cpu.minVid = 0;
  cpu.maxVid = 40;
  cpu.startVid = 40;
  for (uint32_t step = 0; step < 5; ++step) AddCandidate(cpu, 6 + step * 2, step * 10);
  cpu.standardLeaves[0] = {2, 0x756E6547, 0x6C65746E, 0x49656E69};
  cpu.standardLeaves[1] = {0x000006D8, 0, 0x00000180, 0xAFE9FBFF};
  return cpu;
}

}  // namespace

const CpuInfo& SampleProcessor(uint8_t which) {
  static const std::array<CpuInfo, kSampleProcessorCount> processors = {K8(), PentiumM(),
                                                                        CpuInfo{}};
  return processors[which % kSampleProcessorCount];
}

}  // namespace pacetta::fuzz
