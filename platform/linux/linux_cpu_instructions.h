#pragma once
#include "platform/cpu_instructions.h"

namespace pacetta::linux_os {

// The real instructions, on whichever processor the calling thread runs.
class LinuxCpuInstructions final : public platform::CpuInstructions {
 public:
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTimeStampCounter() override;
  // Linux enables user-mode counter reads (CR4.PCE) only for a process that has mapped
  // a perf event, and the instruction faults otherwise; the program reads its counters
  // through the driver here, so the instruction is refused rather than executed.
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t counter) override;
  void SpinDelay(uint32_t iterations) override;
};

}  // namespace pacetta::linux_os
