#include "cpu/pstate/busy_delay.h"

namespace pacetta {

void BusyDelay(CPortexDriver& driver, uint32_t count) {
  if (count == 0) return;
  if (driver.Is64BitSystem()) {
    // The same block the driver's routine runs, so one count lasts as long either way.
    driver.Cpu().SpinDelay(count);
    return;
  }
  driver::KernelCallBlock block;
  block.edx = count;
  block.routine = static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay);
  driver.RunKernelRoutine(block);
}

}  // namespace pacetta
