#pragma once
#include <cstdint>
#include <vector>

#include "cpu/cpu_info.h"
#include "platform/kernel_cpu.h"

namespace pacetta {

// Today's processors (no family rules of their own, see IsTodaysProcessor) leave their
// performance states to the kernel's frequency driver: a raw state write would be
// overwritten or ignored. The program steers them through the limits of the policy that
// governs the processor instead. Its states are the policy's frequency steps (every
// 100 MHz between the hardware limits where the driver lists none), with FID codes in
// MHz and no VIDs.
bool IsTodaysProcessor(const CpuInfo& cpu);

// Takes the policy of `cpu` from `policies`: its limits now, the range of FIDs and the
// candidate states. False (and the record unchanged) for a processor with family rules
// or one no policy governs.
bool AdoptKernelPolicy(CpuInfo& cpu, const std::vector<platform::FrequencyPolicy>& policies);

// Runs the processor at most at `fidMhz`: the policy's highest clock becomes that, its
// lowest the one it had at start unless that lies above. False when the kernel refused.
bool SteerKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel, uint32_t fidMhz);

// Puts the policy's limits back as they were at start. False when the kernel refused.
bool RestoreKernelPolicy(CpuInfo& cpu, platform::KernelCpu& kernel);

}  // namespace pacetta
