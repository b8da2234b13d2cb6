#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/driver_service.h"
#include "platform/sim/driver/service_store.h"
#include "platform/sim/driver/sim_faults.h"

namespace pacetta::sim {

// What the simulated machine's owner tells the service manager about this process and
// its surroundings.
struct ServiceHost {
  int processId = 0;
  // Whether a process still exists; uses and handles of dead ones are dropped. Empty:
  // every process counts as alive.
  std::function<bool(int)> processAlive;
  // Whether a service's binary exists; a start of a missing binary fails.
  std::function<bool(const std::string&)> fileExists;
};

// The service control manager's rules over the shared table, as seen by one process.
// The manager, every open service and the driver device share one of these.
class ServiceDatabase {
 public:
  ServiceDatabase(std::unique_ptr<ServiceStore> store, ServiceHost host, SimFaults faults);

  const SimFaults& Faults() const { return faults_; }

  // Each successful Create and OpenHandle adds one handle of this process, which
  // CloseHandle returns.
  bool Create(const std::string& name, const std::string& displayName,
              const std::string& binaryPath);
  bool OpenHandle(const std::string& name);
  void CloseHandle(const std::string& name);

  bool Start(const std::string& name);
  bool QueryStatus(const std::string& name, platform::ServiceStatus& status);
  bool Stop(const std::string& name);
  bool MarkForDeletion(const std::string& name);

  // The driver side: the device can be opened only while its service runs, and the use
  // count lives as long as the running driver.
  bool IsRunning(const std::string& name);
  // Applies a signed change to this process's uses (never below zero) and returns the
  // count of all processes after it; nullopt when the driver is not running.
  std::optional<uint32_t> ChangeUses(const std::string& name, int32_t delta);
  // The version the running driver of that service reports; nullopt when not running.
  std::optional<std::pair<uint32_t, uint32_t>> DriverVersion(const std::string& name);
  // With a `version=` fault: another program's driver of that version is installed and
  // running under the name, unless a service of the name exists already. Removing it
  // and installing ours brings the expected version.
  void InstallForeignDriver(const std::string& name);

 private:
  // Runs `change` on the tidied table of the store; false when the store is unreachable.
  bool Change(const std::function<void(ServiceTable&)>& change);
  bool ProcessAlive(int pid) const;

  std::unique_ptr<ServiceStore> store_;
  ServiceHost host_;
  SimFaults faults_;
};

}  // namespace pacetta::sim
