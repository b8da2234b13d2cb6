#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "hw/driver_protocol.h"
#include "hw/msr_request.h"
#include "platform/platform.h"

namespace pacetta {

struct DriverVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
};

// The program's one connection to the I/O driver: installs and starts the driver
// service, opens its device, and turns each register access into one request. It has
// no lock: every request is one synchronous call on the shared device.
class CPortexDriver {
 public:
  explicit CPortexDriver(platform::Platform& platform);
  // Applies the unload policy (see SetUnloadPolicy).
  virtual ~CPortexDriver();
  CPortexDriver(const CPortexDriver&) = delete;
  CPortexDriver& operator=(const CPortexDriver&) = delete;

  // 0 on success, else one of the driver::kError* codes. `mode` is not interpreted.
  int32_t Open(uint32_t mode);
  int32_t Close(bool removeService);
  // 0 = remove the service at exit when this process is the last user, 1 = keep it,
  // 2 = always remove it. Larger values are refused.
  bool SetUnloadPolicy(uint32_t policy);
  uint32_t UnloadPolicy() const { return unloadPolicy_; }
  bool IsOpen() const { return device_ != nullptr; }
  platform::Device* GetHandle() const { return device_.get(); }
  // "Portex64" on a 64-bit system, else "Portex32".
  std::string GetServiceName() const;
  bool Is64BitSystem() const;

  bool QueryVersion(DriverVersion& version);
  bool IsExpectedVersion();
  bool AddUse();
  bool ReleaseUse();
  bool GetUseCount(uint32_t& count);

  uint32_t ReadPortByte(uint32_t port);
  uint32_t ReadPortWord(uint32_t port);
  uint32_t ReadPortDword(uint32_t port);
  uint32_t WritePortByte(uint32_t port, uint32_t value);
  uint32_t WritePortWord(uint32_t port, uint32_t value);
  uint32_t WritePortDword(uint32_t port, uint32_t value);

  bool ReadMsr(MsrRequest& request);
  bool WriteMsr(MsrRequest& request);
  // Presets both halves to all ones, so a failed read is recognisable.
  bool ReadMsrValue(MsrRequest& request, uint32_t index);
  bool WriteMsrValue(MsrRequest& request, uint32_t index, uint32_t low, uint32_t high);
  // Never issued on a 64-bit system; callers use their dedicated fallbacks there.
  bool RunKernelRoutine(driver::KernelCallBlock& block);

 private:
  int32_t OpenOnce();
  bool Request(uint32_t code, void* in, uint32_t inSize, void* out, uint32_t outSize);
  uint32_t ReadPort(uint32_t code, uint32_t port);
  uint32_t WritePort(uint32_t code, uint32_t port, uint32_t value);
  std::string DriverFilePath() const;

  platform::Platform& platform_;
  std::unique_ptr<platform::Device> device_;
  uint32_t unloadPolicy_ = 0;
};

}  // namespace pacetta
