#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/driver/physical_mappings.h"
#include "platform/sim/driver/service_database.h"
#include "platform/sim/driver/sim_device.h"

namespace pacetta::sim {

struct RequestBuffers {
  const void* in = nullptr;
  uint32_t inSize = 0;
  void* out = nullptr;  // may alias `in`
  uint32_t outSize = 0;
};

// The answers of one open device object to the driver's request codes, with the exact
// buffer layouts: a buffer of the wrong size fails the request. Holds what belongs to
// the device object: its PCI configuration address and its memory mappings.
class DeviceRequests {
 public:
  DeviceRequests(DriverHardware& hardware, ServiceDatabase& services, std::string driverName,
                 const DeviceHost& host);

  // `written`: bytes placed in the output buffer.
  bool Answer(uint32_t code, unsigned processor, const RequestBuffers& buffers, uint32_t& written);

  // For the register trace: the configuration address the data ports use now, and the
  // physical range a mapping of this device object shows.
  uint32_t ConfigAddress() const { return configAddress_.load(); }
  std::optional<PhysicalRange> MappedRange(uint32_t word0, uint32_t word1) const {
    return mappings_.Range(word0, word1);
  }

 private:
  bool MapMemory(const RequestBuffers& buffers, uint32_t& written);
  bool UnmapMemory(const RequestBuffers& buffers);
  bool ReadPort(unsigned width, const RequestBuffers& buffers, uint32_t& written);
  bool WritePort(unsigned width, const RequestBuffers& buffers, uint32_t& written);
  bool RunRoutine(unsigned processor, const RequestBuffers& buffers, uint32_t& written);
  bool QueryVersion(const RequestBuffers& buffers, uint32_t& written);
  bool ChangeUseCount(const RequestBuffers& buffers, uint32_t& written);
  bool ReadMsr(unsigned processor, const RequestBuffers& buffers, uint32_t& written);
  bool WriteMsr(unsigned processor, const RequestBuffers& buffers, uint32_t& written);
  bool SetFrequencyLimits(const RequestBuffers& buffers);
  bool SetEnergyPreference(const RequestBuffers& buffers);
  bool SetGovernor(const RequestBuffers& buffers);
  bool SetBoost(const RequestBuffers& buffers);

  DriverHardware& hardware_;
  ServiceDatabase& services_;
  const std::string driverName_;
  const DeviceHost& host_;
  std::atomic<uint32_t> configAddress_{0};
  PhysicalMappings mappings_;
};

}  // namespace pacetta::sim
