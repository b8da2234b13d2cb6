#pragma once
#include <cstdint>

namespace pacetta::platform {

// Processor count and affinity. Masks have one bit per processor, bit k = processor k,
// in the order the system numbers them.
class Processors {
 public:
  virtual ~Processors() = default;
  // Processors the system reports (may exceed what the program uses).
  virtual unsigned SystemCount() = 0;
  virtual uint64_t SystemAffinityMask() = 0;
  virtual uint64_t ProcessAffinityMask() = 0;
  // Restricts the calling thread; false when the mask names no usable processor.
  virtual bool SetThreadAffinity(uint64_t mask) = 0;
  // Gives up the rest of the time slice, so the thread continues on its new processor.
  virtual void YieldThread() = 0;
  // The processor the calling thread runs on now.
  virtual unsigned CurrentProcessor() = 0;
};

}  // namespace pacetta::platform
