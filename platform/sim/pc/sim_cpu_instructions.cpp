#include "platform/sim/pc/sim_cpu_instructions.h"

#include <chrono>

namespace pacetta::sim {
namespace {

constexpr uint32_t kIntelEbx = 0x756E6547;  // "Genu"

bool TakesSubleaf(uint32_t leaf) {
  return leaf == 4 || leaf == 7 || leaf == 0xB || leaf == 0xD || leaf == 0xF || leaf == 0x10 ||
         leaf == 0x8000001D;
}

const platform::CpuidResult* Find(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf) {
  auto it = leaves.find({leaf, subleaf});
  return it == leaves.end() ? nullptr : &it->second;
}

}  // namespace

platform::CpuidResult AnswerCpuid(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf) {
  if (const auto* exact = Find(leaves, leaf, subleaf)) return *exact;
  if (!TakesSubleaf(leaf)) {
    if (const auto* plain = Find(leaves, leaf, 0)) return *plain;
  }
  const auto* leaf0 = Find(leaves, 0, 0);
  if (leaf0 && leaf0->ebx == kIntelEbx && leaf < 0x80000000u && leaf > leaf0->eax) {
    if (const auto* highest = Find(leaves, leaf0->eax, 0)) return *highest;
  }
  return {};
}

SimCpuInstructions::SimCpuInstructions(const MachineSpec& machine, SimProcessors& processors)
    : machine_(machine), processors_(processors) {}

platform::CpuidResult SimCpuInstructions::Cpuid(uint32_t leaf, uint32_t subleaf) {
  const unsigned k = processors_.CurrentProcessor();
  if (k >= machine_.processors.size()) return {};
  if (FamilyModel* model = models_ != nullptr ? models_->Model(k) : nullptr) {
    if (auto answer = model->Leaf(leaf)) return *answer;
  }
  return AnswerCpuid(machine_.processors[k].leaves, leaf, subleaf);
}

uint64_t SimCpuInstructions::ReadTimeStampCounter() {
  if (workload_ != nullptr) return workload_->TimeStampCounter(processors_.CurrentProcessor());
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

std::optional<uint64_t> SimCpuInstructions::ReadPerformanceCounter(uint32_t counter) {
  if (hardware_ == nullptr) return std::nullopt;
  const unsigned k = processors_.CurrentProcessor();
  MsrBank* bank = hardware_->Bank(k);
  if (bank == nullptr) return std::nullopt;
  if (!hardware_->UserCountersEnabled(k)) {
    hardware_->Violations().Append({k, counter, 0, "user-mode counter read without CR4.PCE"});
    return std::nullopt;
  }
  uint64_t value = 0;
  if (!bank->ReadPerformanceCounter(counter, value)) return std::nullopt;
  return value;
}

void SimCpuInstructions::SpinDelay(uint32_t iterations) {
  if (workload_ != nullptr) {
    workload_->SpinDelay(processors_.CurrentProcessor(), iterations);
    return;
  }
  for (uint32_t pass = 0; pass < iterations; ++pass) {
    asm volatile(".rept 120\n\tnop\n\t.endr" ::: "memory");
  }
}

}  // namespace pacetta::sim
