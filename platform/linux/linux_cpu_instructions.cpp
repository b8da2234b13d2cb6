#include "platform/linux/linux_cpu_instructions.h"

#include <cpuid.h>
#include <x86intrin.h>

namespace pacetta::linux_os {

platform::CpuidResult LinuxCpuInstructions::Cpuid(uint32_t leaf, uint32_t subleaf) {
  platform::CpuidResult r;
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

uint64_t LinuxCpuInstructions::ReadTimeStampCounter() {
  return __rdtsc();
}

}  // namespace pacetta::linux_os
