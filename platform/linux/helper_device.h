#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/driver_service.h"
#include "platform/linux/helper_config.h"
#include "platform/linux/helper_socket.h"

namespace pacetta::linux_os {

// The device of the I/O driver as one connection to the Portex64 helper. Requests from
// several threads are sent one at a time; each carries the processor the calling thread
// runs on. A physical-memory map arrives as a memory file that is mapped here, so the
// address handed back is one of this process.
class HelperDevice final : public platform::Device {
 public:
  HelperDevice(UniqueFd connection, std::function<unsigned()> currentProcessor);
  ~HelperDevice() override;
  HelperDevice(const HelperDevice&) = delete;
  HelperDevice& operator=(const HelperDevice&) = delete;

  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override;

 private:
  bool Exchange(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                uint32_t& returned, UniqueFd& passed);
  bool Map(const void* in, uint32_t inSize, void* out, uint32_t outSize, uint32_t& returned);
  bool Unmap(const void* in, uint32_t inSize);

  std::mutex mutex_;
  UniqueFd connection_;
  std::function<unsigned()> currentProcessor_;
  std::map<uintptr_t, size_t> mappings_;  // address -> length
};

class HelperDeviceIo final : public platform::DeviceIo {
 public:
  HelperDeviceIo() : HelperDeviceIo(DefaultHelperConfig()) {}
  explicit HelperDeviceIo(HelperConfig config, std::function<unsigned()> currentProcessor = {});

  // Only "\\.\" + the service name (case-insensitive) is a device of the helper.
  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override;

 private:
  HelperConfig config_;
  std::function<unsigned()> currentProcessor_;
};

}  // namespace pacetta::linux_os
