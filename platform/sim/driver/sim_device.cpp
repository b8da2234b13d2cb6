#include "platform/sim/driver/sim_device.h"

#include <optional>

#include "platform/sim/driver/device_requests.h"
#include "platform/sim/driver/traced_request.h"

namespace pacetta::sim {
namespace {

class SimDevice : public platform::Device {
 public:
  SimDevice(std::shared_ptr<DriverHardware> hardware, std::shared_ptr<ServiceDatabase> services,
            std::string driverName, DeviceHost host)
      : hardware_(std::move(hardware)),
        services_(std::move(services)),
        host_(std::move(host)),
        requests_(*hardware_, *services_, std::move(driverName), host_) {}

  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override {
    const unsigned processor = host_.currentProcessor ? host_.currentProcessor() : 0;
    const RequestBuffers buffers{in, inSize, out, outSize};
    std::optional<TracedRequest> traced;
    if (RegisterTrace* trace = hardware_->Trace()) {
      traced.emplace(*trace, code, processor, buffers, requests_, services_->Faults());
    }
    uint32_t written = 0;
    const bool succeeded = !services_->Faults().failingRequests.contains(code) &&
                           requests_.Answer(code, processor, buffers, written);
    if (returned != nullptr) *returned = succeeded ? written : 0;
    hardware_->Requests().Append({code, processor, succeeded});
    if (traced) traced->Finish(buffers, succeeded);
    return succeeded;
  }

 private:
  std::shared_ptr<DriverHardware> hardware_;
  std::shared_ptr<ServiceDatabase> services_;
  DeviceHost host_;
  DeviceRequests requests_;
};

}  // namespace

SimDeviceIo::SimDeviceIo(std::shared_ptr<DriverHardware> hardware,
                         std::shared_ptr<ServiceDatabase> services, DeviceHost host)
    : hardware_(std::move(hardware)), services_(std::move(services)), host_(std::move(host)) {}

std::string SimDeviceIo::DriverName() const {
  return hardware_->Is64BitSystem() ? "Portex64" : "Portex32";
}

std::unique_ptr<platform::Device> SimDeviceIo::OpenDevice(const std::string& path) {
  const std::string name = DriverName();
  // Device names, like service names, are case-insensitive.
  if (ServiceKey(path) != ServiceKey("\\\\.\\" + name)) return nullptr;
  if (services_->Faults().deviceOpenFails || !services_->IsRunning(name)) return nullptr;
  return std::make_unique<SimDevice>(hardware_, services_, name, host_);
}

}  // namespace pacetta::sim
