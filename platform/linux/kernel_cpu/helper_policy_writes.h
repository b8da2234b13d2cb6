#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/driver_service.h"

namespace pacetta::linux_os {

// The writes to the kernel's frequency policies, sent as driver requests to the device at
// `devicePath` (the Portex64 helper), which checks and performs them: the program itself
// runs without the right to write the policy files. Each returns false when the helper
// refused the request or could not be reached.
class HelperPolicyWrites {
 public:
  HelperPolicyWrites(platform::DeviceIo& deviceIo, std::string devicePath);

  bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz);
  bool SetEnergyPreference(uint32_t id, const std::string& preference);
  bool SetBoost(bool on);
  bool SetGovernor(uint32_t id, const std::string& governor);

 private:
  bool Send(uint32_t code, const void* in, uint32_t size);
  // The policy id followed by `name` NUL-padded to 24 bytes.
  bool SendName(uint32_t code, uint32_t id, const std::string& name);

  platform::DeviceIo& deviceIo_;
  const std::string devicePath_;
  std::mutex mutex_;
  std::unique_ptr<platform::Device> device_;  // opened at the first write
};

}  // namespace pacetta::linux_os
