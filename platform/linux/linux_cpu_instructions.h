#pragma once
#include "platform/cpu_instructions.h"

namespace pacetta::linux_os {

// The real instructions, on whichever processor the calling thread runs.
class LinuxCpuInstructions final : public platform::CpuInstructions {
 public:
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTimeStampCounter() override;
};

}  // namespace pacetta::linux_os
