#pragma once
#include <cstdint>
#include <optional>

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
  // The user-mode counter-read instruction for performance counter `counter`; nullopt
  // when the processor refuses it (user-mode reads not enabled, or no such counter).
  virtual std::optional<uint64_t> ReadPerformanceCounter(uint32_t counter) = 0;
  // `iterations` passes over a block of 120 no-operations on the calling thread: the
  // busy wait of measurements and transitions. The processor it runs on is busy for
  // the whole wait, as the hardware would count it.
  virtual void SpinDelay(uint32_t iterations) = 0;
};

}  // namespace pacetta::platform
