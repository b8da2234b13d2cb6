#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/driver_service.h"
#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/driver/service_database.h"

namespace pacetta::sim {

// What the owner tells the device about the calling thread.
struct DeviceHost {
  // The processor the calling thread runs on; register requests act there.
  std::function<unsigned()> currentProcessor;
  // The time-stamp counter of the calling thread's processor (the timer snapshot).
  std::function<uint64_t()> readTsc;
};

// The simulated driver's device: "\\.\Portex64" on a 64-bit machine, "\\.\Portex32"
// otherwise. It opens only while the driver's service runs.
class SimDeviceIo : public platform::DeviceIo {
 public:
  SimDeviceIo(std::shared_ptr<DriverHardware> hardware, std::shared_ptr<ServiceDatabase> services,
              DeviceHost host);

  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override;

  // Portex64 or Portex32: the service whose driver this device is.
  std::string DriverName() const;

 private:
  std::shared_ptr<DriverHardware> hardware_;
  std::shared_ptr<ServiceDatabase> services_;
  DeviceHost host_;
};

}  // namespace pacetta::sim
