#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"
#include "platform/kernel_cpu.h"

namespace pacetta {

// Today's processors (no family rules of their own, see IsTodaysProcessor) leave their
// performance states to the kernel's frequency driver: a raw state write would be
// overwritten or ignored. The program steers them through the limits of the policy that
// governs the processor instead. Its states are the policy's frequency steps: the ones
// the driver lists, or every 100 MHz from the hardware's lowest clock to its base clock
// with the boost clock as the top row (marked as dynamic acceleration). FID codes are MHz;
// there are no VIDs. Each processor has its own steps: the two core types of a hybrid
// part differ.
bool IsTodaysProcessor(const CpuInfo& cpu);

// Takes the policy of `cpu` from `policies`: its limits now, the range of FIDs and the
// candidate states. False (and the record unchanged) for a processor with family rules
// or one no policy governs.
bool AdoptKernelPolicy(CpuInfo& cpu, const std::vector<platform::FrequencyPolicy>& policies);

// Undoes AdoptKernelPolicy: the processor has no states the program could set (its
// policy cannot be written without the privileged helper).
void ForgetKernelPolicy(CpuInfo& cpu);

// Runs the processor at most at `fidMhz`, taken down to the highest of its own steps not
// above it (its lowest where all are): the policy's highest clock becomes that, its lowest
// the one it had at start unless that lies above. Where the kernel refuses the limits and
// the driver has energy-performance preferences, the preference that matches the step's
// place among the processor's steps is set instead. False when neither was accepted.
bool SteerKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel, uint32_t fidMhz);

// The clock of the processor's own step that a request for `fidMhz` runs at.
uint32_t OwnStepMhz(const CpuInfo& cpu, uint32_t fidMhz);

// Puts the policy's limits, and its energy-performance preference where the program set
// one, back as they were at start. False when the kernel refused.
bool RestoreKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel);

}  // namespace pacetta
