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

std::optional<uint64_t> LinuxCpuInstructions::ReadPerformanceCounter(uint32_t) {
  return std::nullopt;
}

void LinuxCpuInstructions::SpinDelay(uint32_t iterations) {
  for (uint32_t pass = 0; pass < iterations; ++pass) {
    // The asm is volatile with a memory clobber, so the compiler keeps every pass.
    asm volatile(".rept 120\n\tnop\n\t.endr" ::: "memory");
  }
}

}  // namespace pacetta::linux_os
