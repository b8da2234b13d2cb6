#include "hw/portex_driver.h"

#include "hw/service_start_wait.h"

namespace pacetta {

CPortexDriver::CPortexDriver(platform::Platform& platform) : platform_(platform) {}

CPortexDriver::~CPortexDriver() {
  switch (unloadPolicy_) {
    case kKeepService:
      Close(false);
      break;
    case kAlwaysRemoveService:
      Close(true);
      break;
    default: {
      // Remove the service only when this process is provably its only user; a failed
      // count query keeps it, since another process may still depend on it.
      uint32_t count = 0;
      Close(GetUseCount(count) && count == 1);
      break;
    }
  }
}

bool CPortexDriver::Is64BitSystem() const {
  return platform_.system.IsEmulated32On64().value_or(false);
}

std::string CPortexDriver::GetServiceName() const {
  return Is64BitSystem() ? "Portex64" : "Portex32";
}

std::string CPortexDriver::DriverFilePath() const {
  // On Linux the "driver file" is the helper program itself, an executable without an
  // extension among the program's modules: "<module folder>/Portex64".
  return platform_.system.ModuleFolder() + "/" + GetServiceName();
}

std::string CPortexDriver::DevicePath() const {
  return "\\\\.\\" + GetServiceName();
}

bool CPortexDriver::SetUnloadPolicy(uint32_t policy) {
  if (policy > kAlwaysRemoveService) return false;
  unloadPolicy_ = policy;
  return true;
}

uint32_t CPortexDriver::KeepServiceForRestart() {
  const uint32_t previous = unloadPolicy_;
  unloadPolicy_ = kKeepService;
  return previous;
}

int32_t CPortexDriver::Open(uint32_t /*mode*/) {
  // A second Open must not drop the current handle without releasing its use, or the
  // shared count would never fall back to this process's share.
  if (IsOpen()) Close(false);
  if (OpenOnce() == 0) return 0;
  // Whatever holds the name (for example a service that points to a stale file) is
  // removed, and the one beside the program is installed afresh.
  Close(true);
  return OpenOnce();
}

int32_t CPortexDriver::OpenOnce() {
  const std::string name = GetServiceName();
  const std::string file = DriverFilePath();
  if (!platform_.system.FileExists(file)) return driver::kErrorDriverFileMissing;

  {
    auto manager = platform_.serviceControl.OpenManager();
    if (!manager) return driver::kErrorManagerUnavailable;
    // Usually the service exists already and creation fails; either way the handle is
    // not needed.
    manager->CreateDriverService(name, name, file);
    auto service = manager->OpenService(name);
    if (!service) return driver::kErrorServiceUnavailable;
    // Fails harmlessly when the service runs already.
    service->Start();
    platform::ServiceStatus status;
    if (!service->QueryStatus(status)) return driver::kErrorStatusUnavailable;
    // The final state is not checked: opening the device tells whether it came up.
    WaitWhileStartPending(*service, platform_.system, status);
  }

  auto device = platform_.deviceIo.OpenDevice(DevicePath());
  if (!device) return driver::kErrorDeviceUnavailable;
  device_ = std::move(device);
  AddUse();
  return 0;
}

int32_t CPortexDriver::Close(bool removeService) {
  if (device_) {
    ReleaseUse();
    device_.reset();
  }
  if (!removeService) return 0;

  auto manager = platform_.serviceControl.OpenManager();
  if (!manager) return driver::kErrorManagerUnavailable;
  auto service = manager->OpenService(GetServiceName());
  if (!service) return driver::kErrorServiceUnavailable;
  // Deletion takes effect once the service has stopped and every handle is closed.
  service->Stop();
  service->Delete();
  return 0;
}

}  // namespace pacetta
