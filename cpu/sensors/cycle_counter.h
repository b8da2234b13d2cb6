#pragma once
#include <cstdint>
#include <optional>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// Lets user mode read the performance counters of the calling thread's processor (the
// driver sets CR4.PCE). Only a 32-bit system reads counters that way; on a 64-bit one
// nothing is done and false is returned.
bool EnableUserCounterReads(SensorHardware& hardware);
// Takes that permission back (at exit, when no other process uses the driver).
bool DisableUserCounterReads(SensorHardware& hardware);

// Programs performance counter 0 to count busy (unhalted) cycles, in user mode only when
// the record's "DiscardKernelCpuUsage" switch is set, then fills every entry of both
// busy-cycle histories with one snapshot and resets their indices. False for a family
// without a counter the program programs (the histories are still reset).
bool SetupCycleCounter(CpuInfo& cpu, SensorHardware& hardware);

// The model-specific register that holds counter 0 of the record's family, read through
// the driver where user-mode counter reads are not used; nullopt when it has none.
std::optional<uint32_t> CounterRegisterOf(const CpuInfo& cpu);

// One snapshot of busy-cycle counter 0 and the time-stamp counter: on a 32-bit system the
// counter through the user-mode read instruction, on a 64-bit one through the driver.
// The time-stamp counter is always read; false when the counter could not be.
bool ReadCounters(const CpuInfo& cpu, SensorHardware& hardware, CounterSnapshot& snapshot);

// Busy cycles between two counter values, modulo the family's counter width.
uint64_t BusyCyclesBetween(const CpuInfo& cpu, uint64_t earlier, uint64_t later);

}  // namespace pacetta
