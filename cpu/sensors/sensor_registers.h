#pragma once
#include <cstdint>

// Model-specific registers and constants of the sensor readings.
namespace pacetta::msr {

// AMD K7/K8 performance monitoring (BKDG for AMD Family 0Fh, "Performance Counters").
inline constexpr uint32_t kAmdEventSelect0 = 0xC0010000;  // PerfEvtSel0
inline constexpr uint32_t kAmdCounter0 = 0xC0010004;      // PerfCtr0

// Intel P6 and Core performance monitoring (IA-32 SDM vol. 3, "Performance Monitoring").
inline constexpr uint32_t kIntelCounter0 = 0xC1;       // IA32_PMC0
inline constexpr uint32_t kIntelEventSelect0 = 0x186;  // IA32_PERFEVTSEL0
inline constexpr uint32_t kIntelEventSelect1 = 0x187;  // IA32_PERFEVTSEL1
inline constexpr uint32_t kMiscEnable = 0x1A0;         // IA32_MISC_ENABLE
inline constexpr unsigned kPerfMonitoringAvailableBit = 7;

// Pentium 4 performance monitoring: counter 0 of the BPU pair, its configuration
// (CCCR) and the event selection (ESCR) it is wired to.
inline constexpr uint32_t kNetBurstCounter0 = 0x300;
inline constexpr uint32_t kNetBurstCccr0 = 0x360;
inline constexpr uint32_t kNetBurstEscr = 0x3A2;

// Intel thermal registers.
inline constexpr uint32_t kPmConfig = 0xEE;       // Core 2: bit 30 = 85 °C junction maximum
inline constexpr uint32_t kThermStatus = 0x19C;   // IA32_THERM_STATUS
inline constexpr unsigned kJunction85Bit = 30;    // MSR 0EEh
inline constexpr unsigned kThermalNowBit = 0;     // IA32_THERM_STATUS: throttling now
inline constexpr unsigned kThermalLogBit = 1;     // IA32_THERM_STATUS: sticky log
inline constexpr unsigned kReadingValidBit = 31;  // IA32_THERM_STATUS: readout valid

// The activity counters of Intel (SDM vol. 4) and AMD family 10h and later processors.
inline constexpr uint32_t kMperf = 0xE7;  // IA32_MPERF: constant rate while not halted
inline constexpr uint32_t kAperf = 0xE8;  // IA32_APERF: actual clock while not halted

}  // namespace pacetta::msr

namespace pacetta::sensors {

// Event selections that count unhalted (busy) core cycles: event 0x76 on AMD, 0x79 on
// P6, 0x3C on Core; user mode (bit 16), operating-system mode (bit 17) unless kernel
// time is discarded, enabled (bit 22).
inline constexpr uint32_t kAmdBusyUser = 0x00490076, kAmdBusyAll = 0x004B0076;
inline constexpr uint32_t kP6BusyUser = 0x00410079, kP6BusyAll = 0x00430079;
inline constexpr uint32_t kCoreBusyUser = 0x0041003C, kCoreBusyAll = 0x0043003C;
// Pentium 4: the ESCR selects the event with the user (bit 2) and, unless discarding,
// the operating-system (bits 3 and 1) qualifiers; the CCCR enables counter 0 on it.
inline constexpr uint32_t kNetBurstEscrUser = 0x26000205, kNetBurstEscrAll = 0x2600020F;
inline constexpr uint32_t kNetBurstCccrEnable = 0x0003D000;

// The busy-cycle counters are 48 bits wide on AMD and 40 bits on Intel: deltas are
// taken modulo that width, so a counter that wraps still gives the right count.
inline constexpr uint64_t kAmdCounterMask = (uint64_t{1} << 48) - 1;
inline constexpr uint64_t kIntelCounterMask = (uint64_t{1} << 40) - 1;

// AMD K8 northbridge function 3, register 0xE4 (thermtrip status): bit 2 selects the
// core whose sensor the temperature field (bits 23..14) shows.
inline constexpr uint32_t kK8ThermtripStatus = 0xE4;
inline constexpr uint32_t kK8CoreSelectBit = 2;
// The K8 sensor reads 49 degrees above the temperature.
inline constexpr int32_t kK8TemperatureBase = -49;
inline constexpr int32_t kJunctionMaximum = 100;
inline constexpr int32_t kJunctionMaximum85 = 85;

}  // namespace pacetta::sensors
