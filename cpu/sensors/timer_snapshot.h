#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// The 8254's channel 0 count with the busy-cycle counter and the time-stamp counter,
// taken as close together as the system allows.
struct TimerSnapshot {
  uint16_t timerCount = 0;
  CounterSnapshot counters;
  bool counterValid = false;  // counter 0 could be read
};

// On a 32-bit system the driver's timer-snapshot routine latches and reads channel 0,
// reads counter 0 and the time-stamp counter with interrupts off. On a 64-bit system the
// same steps run as separate requests: the latch command and the two byte reads, then
// the counter's register through the driver, then the time-stamp counter in this thread.
// False when the routine failed (no snapshot was taken).
bool TakeTimerSnapshot(const CpuInfo& cpu, SensorHardware& hardware, TimerSnapshot& snapshot);

// 8254 counts between two snapshots: the counter counts down and wraps at 65536.
inline uint32_t TimerCountsBetween(uint16_t earlier, uint16_t later) {
  return static_cast<uint16_t>(earlier - later);
}

}  // namespace pacetta
