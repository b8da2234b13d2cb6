#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/driver/service_database.h"
#include "platform/sim/driver/service_store.h"
#include "platform/sim/driver/sim_device.h"
#include "platform/sim/driver/sim_faults.h"
#include "platform/sim/driver/sim_service_control.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

// Everything the simulated PC's owner supplies to its driver.
struct SimDriverHost {
  int processId = 0;
  std::function<bool(int)> processAlive;
  std::function<bool(const std::string&)> fileExists;
  std::function<unsigned()> currentProcessor;
  std::function<uint64_t()> clockNs;
  std::function<uint64_t()> readTsc;
};

// The simulated machine's driver service and device, assembled: the service control
// manager over `store`, the device over the machine's hardware.
class SimDriver {
 public:
  // `trace`: where every hardware access goes (`--sim-trace`); null = no trace.
  SimDriver(const MachineSpec& machine, std::unique_ptr<ServiceStore> store, SimDriverHost host,
            SimFaults faults, std::shared_ptr<RegisterTrace> trace = nullptr);

  platform::ServiceControl& ServiceControl() { return serviceControl_; }
  platform::DeviceIo& DeviceIo() { return deviceIo_; }
  DriverHardware& Hardware() { return *hardware_; }
  ServiceDatabase& Services() { return *serviceControl_.Database(); }

 private:
  std::shared_ptr<DriverHardware> hardware_;
  SimServiceControl serviceControl_;
  SimDeviceIo deviceIo_;
};

}  // namespace pacetta::sim
