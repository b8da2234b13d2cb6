#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// Refreshes currentFid and currentVid (and superLfmActive on a Core 2 with DFFS) from the
// family's status register. A failed register read gives all ones, so the fields read
// their masked maximum. Families without a status register keep their fields.
void ReadCurrentState(CpuInfo& cpu, SensorHardware& hardware);

// Refreshes requestedFid and requestedVid from the control register (AMD FID/VID control,
// or Intel/VIA performance control). When both read 0, or the processor has neither
// register, the requested state is the current one.
void ReadRequestedState(CpuInfo& cpu, SensorHardware& hardware);

// Multiplier and volts of a code in the processor's own encoding; 0.0 when unknown.
double MultiplierOf(const CpuInfo& cpu, int32_t fid);
double VoltageOf(const CpuInfo& cpu, int32_t vid);

}  // namespace pacetta
