#pragma once
#include "platform/cpu_instructions.h"
#include "platform/sim/machine.h"
#include "platform/sim/pc/sim_processors.h"

namespace pacetta::sim {

// CPUID answers of the simulated processor the calling thread runs on.
class SimCpuInstructions final : public platform::CpuInstructions {
 public:
  SimCpuInstructions(const MachineSpec& machine, SimProcessors& processors);
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  // Until the clock model drives it, the counter runs at the nominal 1 GHz of the
  // host's monotonic clock, the same on every processor.
  uint64_t ReadTimeStampCounter() override;

 private:
  const MachineSpec& machine_;
  SimProcessors& processors_;
};

// What a processor answers for (leaf, sub-leaf): the stored leaf; leaves that take no
// sub-leaf ignore it; an Intel processor answers a standard leaf above its highest with
// the highest one, as the real parts do; anything else reads zeros.
platform::CpuidResult AnswerCpuid(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf);

}  // namespace pacetta::sim
