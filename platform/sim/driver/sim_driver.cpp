#include "platform/sim/driver/sim_driver.h"

namespace pacetta::sim {

SimDriver::SimDriver(const MachineSpec& machine, std::unique_ptr<ServiceStore> store,
                     SimDriverHost host, SimFaults faults, std::shared_ptr<RegisterTrace> trace)
    : hardware_(
          std::make_shared<DriverHardware>(machine, std::move(host.clockNs), std::move(trace))),
      serviceControl_(std::make_shared<ServiceDatabase>(
          std::move(store),
          ServiceHost{host.processId, std::move(host.processAlive), std::move(host.fileExists)},
          std::move(faults))),
      deviceIo_(hardware_, serviceControl_.Database(),
                DeviceHost{std::move(host.currentProcessor), std::move(host.readTsc)}) {
  Services().InstallForeignDriver(machine.system64 ? "Portex64" : "Portex32");
}

}  // namespace pacetta::sim
