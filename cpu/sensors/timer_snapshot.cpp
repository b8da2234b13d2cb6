#include "cpu/sensors/timer_snapshot.h"

#include "cpu/sensors/cycle_counter.h"

namespace pacetta {
namespace {

// 8254 ports: channel 0 data, and the mode/command register. Command 0x00 latches
// channel 0's count; the two data reads return its low byte, then its high byte.
constexpr uint32_t kTimerChannel0 = 0x40;
constexpr uint32_t kTimerCommand = 0x43;
constexpr uint32_t kLatchChannel0 = 0x00;

bool KernelSnapshot(const CpuInfo& cpu, SensorHardware& hardware, TimerSnapshot& snapshot) {
  driver::KernelCallBlock block;
  block.ecx = 0;  // performance counter 0
  block.routine = static_cast<uint32_t>(driver::KernelRoutine::kTimerSnapshot);
  if (!hardware.driver.RunKernelRoutine(block)) return false;
  snapshot.timerCount = static_cast<uint16_t>(block.esi);
  snapshot.counters.busy = uint64_t{block.ecx} << 32 | block.ebx;
  snapshot.counters.tsc = uint64_t{block.edx} << 32 | block.eax;
  // The routine leaves all ones where the processor has no counter to read.
  snapshot.counterValid = CounterRegisterOf(cpu).has_value() && ~snapshot.counters.busy != 0;
  return true;
}

bool DriverSnapshot(const CpuInfo& cpu, SensorHardware& hardware, TimerSnapshot& snapshot) {
  CPortexDriver& driver = hardware.driver;
  driver.WritePortByte(kTimerCommand, kLatchChannel0);
  const uint32_t low = driver.ReadPortByte(kTimerChannel0);
  const uint32_t high = driver.ReadPortByte(kTimerChannel0);
  snapshot.timerCount = static_cast<uint16_t>((high & 0xFF) << 8 | (low & 0xFF));
  snapshot.counterValid = false;
  snapshot.counters.busy = 0;
  if (const auto index = CounterRegisterOf(cpu)) {
    MsrRequest request;
    snapshot.counterValid = driver.ReadMsrValue(request, *index);
    if (snapshot.counterValid) snapshot.counters.busy = request.Value();
  }
  snapshot.counters.tsc = hardware.cpu.ReadTimeStampCounter();
  return true;
}

}  // namespace

bool TakeTimerSnapshot(const CpuInfo& cpu, SensorHardware& hardware, TimerSnapshot& snapshot) {
  if (hardware.driver.Is64BitSystem()) return DriverSnapshot(cpu, hardware, snapshot);
  return KernelSnapshot(cpu, hardware, snapshot);
}

}  // namespace pacetta
