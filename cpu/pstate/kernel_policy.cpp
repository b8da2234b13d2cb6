#include "cpu/pstate/kernel_policy.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"

namespace pacetta {
namespace {

constexpr uint32_t kLastOlderP6Model = 13;
constexpr uint32_t kLastK10Family = 0x10;
constexpr uint32_t kGridMhz = 100;
constexpr uint32_t kKhzPerMhz = 1000;

// The energy-performance preferences, most performance first, as the drivers name them.
constexpr std::array<std::string_view, 5> kPreferences = {"performance", "balance_performance",
                                                          "balance_power", "power", "default"};
constexpr int32_t kPowerPreference = 3;

int32_t PreferenceIndex(std::string_view name) {
  const auto found = std::find(kPreferences.begin(), kPreferences.end(), name);
  return found == kPreferences.end() ? -1 : static_cast<int32_t>(found - kPreferences.begin());
}

void AddCandidate(CpuInfo& cpu, uint32_t mhz, uint32_t kind = kCandidateOrdinary) {
  if (cpu.candidateCount >= kMaxPStateCandidates) return;
  // The steps come slowest first; a driver that lists one twice gets one state.
  if (cpu.candidateCount > 0 && cpu.candidates[cpu.candidateCount - 1].defaultFid == mhz) return;
  cpu.candidates[cpu.candidateCount++] = {mhz, mhz, mhz, 0, 0, 0, kind};
}

// Every 100 MHz from the hardware's lowest clock up to `topMhz` (always included).
void AddGrid(CpuInfo& cpu, uint32_t lowMhz, uint32_t topMhz) {
  AddCandidate(cpu, lowMhz);
  // Places stay free for the top and a boost row above it.
  for (uint32_t mhz = (lowMhz / kGridMhz + 1) * kGridMhz;
       mhz < topMhz && cpu.candidateCount + 2 < kMaxPStateCandidates; mhz += kGridMhz) {
    AddCandidate(cpu, mhz);
  }
  AddCandidate(cpu, topMhz);
}

void AdoptSteps(CpuInfo& cpu, const platform::FrequencyPolicy& policy) {
  cpu.candidateCount = 0;
  cpu.candidates.fill({});
  const uint32_t baseMhz = policy.baseKhz / kKhzPerMhz;
  const auto low = static_cast<uint32_t>(cpu.minFid);
  const auto high = static_cast<uint32_t>(cpu.maxFid);
  // A clock above the base one is boost: the processor reaches it only while the power
  // and temperature allow.
  const bool boosts = baseMhz > low && baseMhz < high;
  if (!policy.stepsKhz.empty()) {
    for (uint32_t khz : policy.stepsKhz) {
      const uint32_t mhz = khz / kKhzPerMhz;
      AddCandidate(cpu, mhz,
                   boosts && mhz > baseMhz ? kCandidateDynamicAcceleration : kCandidateOrdinary);
    }
  } else if (boosts) {
    AddGrid(cpu, low, baseMhz);
    AddCandidate(cpu, high, kCandidateDynamicAcceleration);
  } else {
    AddGrid(cpu, low, high);
  }
}

// By the step's place among the processor's own steps: the top one asks for performance,
// the lowest for power, the upper half for balanced performance, the rest balanced power.
std::optional<int32_t> PreferenceForStep(const CpuInfo& cpu, uint32_t stepMhz) {
  const uint32_t count = std::min(cpu.candidateCount, kMaxPStateCandidates);
  uint32_t place = 0;
  while (place + 1 < count && cpu.candidates[place].defaultFid < stepMhz) ++place;
  int32_t wanted = kPowerPreference;
  if (count > 1 && place + 1 == count) {
    wanted = 0;
  } else if (place * 2 >= count - 1 && place > 0) {
    wanted = 1;
  } else if (place > 0) {
    wanted = 2;
  }
  // The nearest the driver offers, on the side of performance first.
  for (int32_t distance = 0; distance <= kPowerPreference; ++distance) {
    for (int32_t index : {wanted - distance, wanted + distance}) {
      if (index >= 0 && index <= kPowerPreference && (cpu.policyPreferenceChoices >> index) & 1)
        return index;
    }
  }
  return std::nullopt;
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

  cpu.policyStartPreference = PreferenceIndex(policy->energyPreference);
  cpu.policyPreferenceChoices = 0;
  cpu.policyPreferenceSet = 0;
  for (const std::string& choice : policy->energyPreferences) {
    const int32_t index = PreferenceIndex(choice);
    if (index >= 0) cpu.policyPreferenceChoices |= 1u << index;
  }
  AdoptSteps(cpu, *policy);
  return true;
}

void ForgetKernelPolicy(CpuInfo& cpu) {
  if (cpu.kernelPolicy < 0) return;
  cpu.kernelPolicy = -1;
  cpu.policyPreferenceChoices = 0;
  cpu.candidateCount = 0;
  cpu.candidates.fill({});
  cpu.minFid = cpu.maxFid = cpu.startFid = 0;
  cpu.currentFid = cpu.requestedFid = 0;
}

uint32_t OwnStepMhz(const CpuInfo& cpu, uint32_t fidMhz) {
  const uint32_t count = std::min(cpu.candidateCount, kMaxPStateCandidates);
  if (count == 0) return fidMhz;
  uint32_t step = cpu.candidates[0].defaultFid;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t mhz = cpu.candidates[i].defaultFid;
    if (mhz <= fidMhz) step = std::max(step, mhz);
  }
  return step;
}

bool SteerKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel, uint32_t fidMhz) {
  if (cpu.kernelPolicy < 0) return false;
  const auto id = static_cast<uint32_t>(cpu.kernelPolicy);
  const uint32_t stepMhz = OwnStepMhz(cpu, fidMhz);
  const uint32_t maxKhz = stepMhz * kKhzPerMhz;
  const uint32_t minKhz = std::min(cpu.policyStartMinKhz, maxKhz);
  if (!kernel.SetLimits(id, minKhz, maxKhz)) {
    const std::optional<int32_t> preference = PreferenceForStep(cpu, stepMhz);
    if (!preference) return false;
    if (!kernel.SetEnergyPreference(id,
                                    std::string(kPreferences[static_cast<size_t>(*preference)])))
      return false;
    cpu.policyPreferenceSet = 1;
  }
  cpu.policyMaxKhz = maxKhz;
  return true;
}

bool RestoreKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel) {
  if (cpu.kernelPolicy < 0) return false;
  const auto id = static_cast<uint32_t>(cpu.kernelPolicy);
  bool restored = true;
  if (cpu.policyPreferenceSet != 0 && cpu.policyStartPreference >= 0) {
    restored = kernel.SetEnergyPreference(
        id, std::string(kPreferences[static_cast<size_t>(cpu.policyStartPreference)]));
    if (restored) cpu.policyPreferenceSet = 0;
  }
  if (!kernel.SetLimits(id, cpu.policyStartMinKhz, cpu.policyStartMaxKhz)) return false;
  cpu.policyMaxKhz = cpu.policyStartMaxKhz;
  return restored;
}

}  // namespace pacetta
