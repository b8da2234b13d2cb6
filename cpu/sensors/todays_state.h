#pragma once
#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// The multiplier (over the 100 MHz reference) and core voltage today's processors report
// of the calling thread's processor; 0 where a value is not reported.
struct ReportedState {
  double multiplier = 0.0;
  double volts = 0.0;
};

// Intel: IA32_PERF_STATUS, the ratio in bits 15:8 and, from the second generation of Core
// processors on, the core voltage in bits 47:32 in units of 2^-13 V (Intel SDM vol. 4).
// AMD family 17h and later: the current P-state (C001_0063) and its definition
// (C001_0064 + n): core clock = CpuFid x 200 MHz / CpuDfsId, voltage 1.55 V - 6.25 mV x
// CpuVid (the processor programming references of families 17h and 19h); families 11h to
// 16h likewise from their own P-state definitions.
ReportedState ReadReportedState(const CpuInfo& cpu, SensorHardware& hardware);

}  // namespace pacetta
