#include "hw/pinning.h"

namespace pacetta {

void PinToProcessor(platform::Processors& processors, uint32_t k) {
  // The program numbers at most 32 processors; larger numbers wrap onto them.
  processors.SetThreadAffinity(uint64_t{1} << (k % 32));
  // Yielding lets the scheduler move the thread before the next pinned instruction.
  processors.YieldThread();
}

void UnpinThread(platform::Processors& processors) {
  processors.SetThreadAffinity(processors.ProcessAffinityMask());
  processors.YieldThread();
}

}  // namespace pacetta
