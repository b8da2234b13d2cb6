#include "cpu/sensors/temperature.h"

#include <algorithm>

#include "cpu/identify/bits.h"
#include "cpu/sensors/reading_fields.h"
#include "cpu/sensors/sensor_registers.h"

namespace pacetta {
namespace {

using identify::Bit;
using identify::Bits;

constexpr uint32_t kNoDevice = 0xFFFFFFFFu;

bool ReadsK8Sensor(const CpuInfo& cpu, const SensorHardware& hardware) {
  return cpu.isK8 && cpu.hasDigitalThermalSensor && hardware.northbridge != nullptr;
}

bool ReadsIntelSensor(const CpuInfo& cpu) {
  return cpu.isIntelCore && cpu.hasDigitalThermalSensor;
}

// Thermtrip status of the record's node, with the sensor of its core selected (BKDG for
// AMD Family 0Fh, function 3 register E4h). Select, write and read run under the
// accessor's lock, so no other processor's selection can come between them.
float ReadK8Sensor(const CpuInfo& cpu, CK8Northbridge& northbridge) {
  CK8Northbridge::Session node = northbridge.Select(cpu.packageId);
  if (!node.HasDevice()) return sensors::kInvalidTemperature;
  uint32_t value = node.ReadDword(sensors::kK8ThermtripStatus);
  // All ones is a master abort: no function answered, and nothing is written back.
  if (value == kNoDevice) return sensors::kInvalidTemperature;
  value &= ~(1u << sensors::kK8CoreSelectBit);
  value |= (cpu.isSecondary & 1u) << sensors::kK8CoreSelectBit;
  node.WriteDword(sensors::kK8ThermtripStatus, value);
  const uint32_t selected = node.ReadDword(sensors::kK8ThermtripStatus);
  if (selected == kNoDevice) return sensors::kInvalidTemperature;
  const uint32_t raw = Bits(selected, 23, 14);
  // Revision F reads in quarter degrees; the older parts in whole degrees above bit 16.
  if (cpu.isK8RevF) return static_cast<float>(raw * 0.25 + cpu.tempBase);
  return static_cast<float>(static_cast<int32_t>(raw >> 2) + cpu.tempBase);
}

// IA32_THERM_STATUS: the digital readout (bits 22..16) counts degrees below the junction
// maximum, valid while bit 31 is set.
float ReadIntelSensor(const CpuInfo& cpu, SensorHardware& hardware) {
  MsrRequest request;
  // A failed read would show all ones as a valid readout of 127 degrees below maximum.
  if (!hardware.driver.ReadMsrValue(request, msr::kThermStatus)) {
    return sensors::kInvalidTemperature;
  }
  if (!Bit(request.low, msr::kReadingValidBit)) return sensors::kInvalidTemperature;
  return static_cast<float>(cpu.tempBase - static_cast<int32_t>(Bits(request.low, 22, 16)));
}

int32_t IntelJunctionMaximum(const CpuInfo& cpu, SensorHardware& hardware) {
  if (!cpu.isCore2) return sensors::kJunctionMaximum;
  MsrRequest request;
  hardware.driver.ReadMsrValue(request, msr::kPmConfig);
  return Bit(request.low, msr::kJunction85Bit) ? sensors::kJunctionMaximum85
                                               : sensors::kJunctionMaximum;
}

}  // namespace

bool HasTemperature(const CpuInfo& cpu) {
  return (cpu.isK8 || cpu.isIntelCore) && cpu.hasDigitalThermalSensor;
}

float ReadSensor(const CpuInfo& cpu, SensorHardware& hardware) {
  if (ReadsK8Sensor(cpu, hardware)) return ReadK8Sensor(cpu, *hardware.northbridge);
  if (ReadsIntelSensor(cpu)) return ReadIntelSensor(cpu, hardware);
  return sensors::kInvalidTemperature;
}

bool InitTemperature(CpuInfo& cpu, SensorHardware& hardware) {
  if (ReadsK8Sensor(cpu, hardware)) {
    cpu.tempBase = sensors::kK8TemperatureBase + cpu.tempOffset;
  } else if (ReadsIntelSensor(cpu)) {
    cpu.tempBase = IntelJunctionMaximum(cpu, hardware) + cpu.tempOffset;
  } else {
    return false;
  }
  cpu.temperatures.fill(ReadSensor(cpu, hardware));
  cpu.temperatureIndex = 0;
  return true;
}

bool ReadTemperature(CpuInfo& cpu, SensorHardware& hardware, uint32_t depth, double& average) {
  average = sensors::kNotAvailable;
  if (!ReadsK8Sensor(cpu, hardware) && !ReadsIntelSensor(cpu)) return false;
  const uint32_t newest = cpu.temperatureIndex % kTemperatureRingLength;
  cpu.temperatures[newest] = ReadSensor(cpu, hardware);
  ++cpu.temperatureIndex;

  depth = std::clamp<uint32_t>(depth, 1, kTemperatureRingLength);
  double sum = 0.0;
  uint32_t valid = 0;
  for (uint32_t back = 0; back < depth; ++back) {
    const float reading =
        cpu.temperatures[(newest + kTemperatureRingLength - back) % kTemperatureRingLength];
    // An invalid reading would drag the mean two billion degrees below zero.
    if (reading == sensors::kInvalidTemperature) continue;
    sum += reading;
    ++valid;
  }
  if (valid == 0) return false;
  average = sum / valid;
  return true;
}

}  // namespace pacetta
