#include "cpu/pstate/busy_delay.h"

namespace pacetta {

void SpinNoOperations(uint32_t count) {
  for (uint32_t pass = 0; pass < count; ++pass) {
    // The block the driver's routine runs, so that one count lasts as long either way.
    asm volatile(".rept 120\n\tnop\n\t.endr" ::: "memory");
  }
}

void BusyDelay(CPortexDriver& driver, uint32_t count) {
  if (count == 0) return;
  if (driver.Is64BitSystem()) {
    SpinNoOperations(count);
    return;
  }
  driver::KernelCallBlock block;
  block.edx = count;
  block.routine = static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay);
  driver.RunKernelRoutine(block);
}

}  // namespace pacetta
