#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace pacetta::platform {

// States of a driver service, numbered as the service control manager numbers them.
enum class ServiceState : uint32_t {
  kStopped = 1,
  kStartPending = 2,
  kStopPending = 3,
  kRunning = 4,
};

struct ServiceStatus {
  ServiceState state = ServiceState::kStopped;
  uint32_t checkPoint = 0;
  uint32_t waitHintMs = 0;
};

// An open service; closing the handle is destroying the object.
class Service {
 public:
  virtual ~Service() = default;
  virtual bool Start() = 0;
  virtual bool QueryStatus(ServiceStatus& status) = 0;
  virtual bool Stop() = 0;
  // Marks the service for deletion; it is gone once stopped and every handle is closed.
  virtual bool Delete() = 0;
};

// An open connection to the service control manager.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // Installs a demand-start kernel-driver service whose binary is `binaryPath`.
  // Returns null when the service exists already or cannot be created.
  virtual std::unique_ptr<Service> CreateDriverService(const std::string& name,
                                                       const std::string& displayName,
                                                       const std::string& binaryPath) = 0;
  virtual std::unique_ptr<Service> OpenService(const std::string& name) = 0;
};

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  // Null when the manager refuses (typically: no administrator rights).
  virtual std::unique_ptr<ServiceManager> OpenManager() = 0;
};

// An open device; one synchronous buffered control request at a time per call.
class Device {
 public:
  virtual ~Device() = default;
  // `out` may alias `in`. Returns false when the request fails.
  virtual bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* returned) = 0;
};

class DeviceIo {
 public:
  virtual ~DeviceIo() = default;
  // Null when the device cannot be opened.
  virtual std::unique_ptr<Device> OpenDevice(const std::string& path) = 0;
};

}  // namespace pacetta::platform
