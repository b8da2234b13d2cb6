#include "cpu/pstate/kernel_policy.h"

#include <algorithm>

#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"

namespace pacetta {
namespace {

constexpr uint32_t kLastOlderP6Model = 13;
constexpr uint32_t kLastK10Family = 0x10;
constexpr uint32_t kGridMhz = 100;
constexpr uint32_t kKhzPerMhz = 1000;

void AddCandidate(CpuInfo& cpu, uint32_t mhz) {
  if (cpu.candidateCount >= kMaxPStateCandidates) return;
  // The steps come slowest first; a driver that lists one twice gets one state.
  if (cpu.candidateCount > 0 && cpu.candidates[cpu.candidateCount - 1].defaultFid == mhz) return;
  cpu.candidates[cpu.candidateCount++] = {mhz, mhz, mhz, 0, 0, 0, kCandidateOrdinary};
}

}  // namespace

bool IsTodaysProcessor(const CpuInfo& cpu) {
  // Every later Intel part of family 6 counts as "P6" in the family flags too; the P6
  // processors those rules mean end with model 13.
  const bool olderP6 = cpu.isIntelP6 && GetSignature(cpu).Model() <= kLastOlderP6Model;
  const bool familyRules = cpu.isAmdPowerNow || cpu.isPentiumM || cpu.isIntelCore ||
                           cpu.isPentium4 || cpu.isTransmeta || cpu.isVia6 || olderP6;
  if (familyRules) return false;
  const VendorCode vendor = GetVendorCode(cpu);
  const uint32_t family = GetSignature(cpu).Family();
  // A virtual machine may hide the activity counters of a current processor.
  return cpu.hasAperfMperf != 0 || (vendor == VendorCode::kAmd && family > kLastK10Family) ||
         (vendor == VendorCode::kIntel && family == 6);
}

bool AdoptKernelPolicy(CpuInfo& cpu, const std::vector<platform::FrequencyPolicy>& policies) {
  if (!IsTodaysProcessor(cpu)) return false;
  const auto governs = [&cpu](const platform::FrequencyPolicy& policy) {
    return std::find(policy.cpus.begin(), policy.cpus.end(), cpu.index) != policy.cpus.end();
  };
  const auto policy = std::find_if(policies.begin(), policies.end(), governs);
  if (policy == policies.end() || policy->hardwareMinKhz == 0 ||
      policy->hardwareMaxKhz < policy->hardwareMinKhz) {
    return false;
  }
  cpu.kernelPolicy = static_cast<int32_t>(policy->id);
  cpu.policyStartMinKhz = policy->minKhz;
  cpu.policyStartMaxKhz = policy->maxKhz;
  cpu.policyMaxKhz = policy->maxKhz;
  cpu.minFid = static_cast<int32_t>(policy->hardwareMinKhz / kKhzPerMhz);
  cpu.maxFid = static_cast<int32_t>(policy->hardwareMaxKhz / kKhzPerMhz);
  cpu.startFid = static_cast<int32_t>(policy->maxKhz / kKhzPerMhz);
  cpu.minVid = cpu.maxVid = cpu.startVid = 0;
  cpu.currentFid = cpu.requestedFid = static_cast<uint32_t>(cpu.startFid);
  cpu.currentVid = cpu.requestedVid = 0;

  cpu.candidateCount = 0;
  cpu.candidates.fill({});
  if (!policy->stepsKhz.empty()) {
    for (uint32_t khz : policy->stepsKhz) AddCandidate(cpu, khz / kKhzPerMhz);
  } else {
    // The hardware limits, and every 100 MHz between them.
    const auto low = static_cast<uint32_t>(cpu.minFid);
    const auto high = static_cast<uint32_t>(cpu.maxFid);
    AddCandidate(cpu, low);
    // One place stays free for the highest limit.
    for (uint32_t mhz = (low / kGridMhz + 1) * kGridMhz;
         mhz < high && cpu.candidateCount + 1 < kMaxPStateCandidates; mhz += kGridMhz) {
      AddCandidate(cpu, mhz);
    }
    AddCandidate(cpu, high);
  }
  return true;
}

bool SteerKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel, uint32_t fidMhz) {
  if (cpu.kernelPolicy < 0) return false;
  const uint32_t maxKhz = fidMhz * kKhzPerMhz;
  const uint32_t minKhz = std::min(cpu.policyStartMinKhz, maxKhz);
  if (!kernel.SetLimits(static_cast<uint32_t>(cpu.kernelPolicy), minKhz, maxKhz)) return false;
  cpu.policyMaxKhz = maxKhz;
  return true;
}

bool RestoreKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel) {
  if (cpu.kernelPolicy < 0) return false;
  if (!kernel.SetLimits(static_cast<uint32_t>(cpu.kernelPolicy), cpu.policyStartMinKhz,
                        cpu.policyStartMaxKhz)) {
    return false;
  }
  cpu.policyMaxKhz = cpu.policyStartMaxKhz;
  return true;
}

}  // namespace pacetta
