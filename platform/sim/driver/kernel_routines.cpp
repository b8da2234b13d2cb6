#include "platform/sim/driver/kernel_routines.h"

namespace pacetta::sim {
namespace {

using driver::KernelCallBlock;
using driver::KernelRoutine;

constexpr uint32_t kFidVidControl = 0xC0010041;  // K7 FID/VID control
constexpr uint32_t kFidVidStatus = 0xC0010042;   // K7 FID/VID status
constexpr uint32_t kChangePending = 1u << 31;    // status low half: transition pending
// The real routine polls without limit; the simulation gives up where the hardware
// would have hung the machine.
constexpr uint32_t kMaxStatusReads = 1000;

void Refuse(DriverHardware& hardware, unsigned processor, uint32_t routine, const char* reason) {
  hardware.Violations().Append({processor, driver::kRunKernelRoutine, routine, reason});
}

bool TimerSnapshot(DriverHardware& hardware, MsrBank& bank,
                   const std::function<uint64_t()>& readTsc, KernelCallBlock& block) {
  if (!readTsc) return false;
  block.esi = hardware.Timer().LatchAndRead();
  uint64_t counter = ~uint64_t{0};
  if (!bank.ReadPerformanceCounter(block.ecx, counter)) counter = ~uint64_t{0};
  block.ebx = static_cast<uint32_t>(counter);
  block.ecx = static_cast<uint32_t>(counter >> 32);
  const uint64_t tsc = readTsc();
  block.eax = static_cast<uint32_t>(tsc);
  block.edx = static_cast<uint32_t>(tsc >> 32);
  return true;
}

bool K7Transition(DriverHardware& hardware, MsrBank& bank, KernelCallBlock& block) {
  const uint64_t control = uint64_t{block.edx} << 32 | block.eax;
  // A refused WRMSR or RDMSR in kernel mode is a protection fault: the machine would stop.
  if (!bank.Write(kFidVidControl, control)) {
    Refuse(hardware, bank.Processor(), block.routine, "K7 transition: control write faulted");
    return false;
  }
  uint32_t reads = 0;
  uint64_t status = kChangePending;
  while (reads < kMaxStatusReads && (status & kChangePending) != 0) {
    if (!bank.Read(kFidVidStatus, status)) {
      Refuse(hardware, bank.Processor(), block.routine, "K7 transition: status read faulted");
      return false;
    }
    ++reads;
  }
  block.ebx = reads;
  return true;
}

}  // namespace

bool RunKernelRoutine(DriverHardware& hardware, unsigned processor,
                      const std::function<uint64_t()>& readTsc, KernelCallBlock& block) {
  if (hardware.Is64BitSystem()) {
    Refuse(hardware, processor, block.routine, "kernel routine request on a 64-bit system");
    return false;
  }
  MsrBank* bank = hardware.Bank(processor);
  if (bank == nullptr) return false;

  switch (static_cast<KernelRoutine>(block.routine)) {
    case KernelRoutine::kBusyDelay:
      // The delay's effect is time passing with the processor busy, as the owner models.
      hardware.BusyDelay(block.edx);
      return true;
    case KernelRoutine::kEnableUserCounters:
      hardware.SetUserCounters(processor, true);
      return true;
    case KernelRoutine::kDisableUserCounters:
      hardware.SetUserCounters(processor, false);
      return true;
    case KernelRoutine::kTimerSnapshot:
      return TimerSnapshot(hardware, *bank, readTsc, block);
    case KernelRoutine::kK7Transition:
      return K7Transition(hardware, *bank, block);
  }
  // The driver runs only its own routines, never code it is handed.
  Refuse(hardware, processor, block.routine, "unknown kernel routine");
  return false;
}

}  // namespace pacetta::sim
