#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// Whether the program reads the processor's temperature: a K8 or Core processor with a
// digital thermal sensor.
bool HasTemperature(const CpuInfo& cpu);

// Sets tempBase and fills the whole temperature ring with one reading. False when the
// processor has no sensor the program reads.
bool InitTemperature(CpuInfo& cpu, SensorHardware& hardware);

// Stores a new reading in the ring and averages the last `depth` readings (1..64),
// leaving out those the sensor marked invalid. False and -1.0 without a sensor, or when
// none of them is valid.
bool ReadTemperature(CpuInfo& cpu, SensorHardware& hardware, uint32_t depth, double& average);

// One reading in degrees Celsius from the sensor of the calling thread's processor, with
// tempBase as InitTemperature set it: kInvalidTemperature when the sensor marks the
// reading invalid, cannot be read, or is not one the program reads.
float ReadSensor(const CpuInfo& cpu, SensorHardware& hardware);

}  // namespace pacetta
