#pragma once
#include <cstdint>

namespace pacetta::platform {

struct CpuidResult {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

// Instructions that act on the processor the calling thread runs on. Callers pin
// the thread first (hw/pinning); the answer comes from whatever processor runs it.
class CpuInstructions {
 public:
  virtual ~CpuInstructions() = default;
  virtual CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf = 0) = 0;
  virtual uint64_t ReadTimeStampCounter() = 0;
};

}  // namespace pacetta::platform
