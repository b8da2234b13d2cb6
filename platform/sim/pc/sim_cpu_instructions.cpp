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
  return AnswerCpuid(machine_.processors[k].leaves, leaf, subleaf);
}

uint64_t SimCpuInstructions::ReadTimeStampCounter() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace pacetta::sim
