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

// What happens to the installed driver service when the driver object is destroyed.
inline constexpr uint32_t kUnloadWhenLastUser = 0;
inline constexpr uint32_t kKeepService = 1;
inline constexpr uint32_t kAlwaysRemoveService = 2;

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
  // A failed attempt removes whatever service holds the name and tries once more.
  int32_t Open(uint32_t mode);
  // Releases this process's use and closes the device; with `removeService` also stops
  // and deletes the service. 0 or one of the driver::kError* codes.
  int32_t Close(bool removeService);
  // kUnloadWhenLastUser, kKeepService or kAlwaysRemoveService. Larger values are
  // refused and leave the policy unchanged.
  bool SetUnloadPolicy(uint32_t policy);
  uint32_t UnloadPolicy() const { return unloadPolicy_; }
  // For an exit that starts the program again: the new instance opens the service that
  // is installed now, so this process must not remove it, even as its last user at this
  // moment. Without this, removal at exit races the new instance's Open. Restore the
  // previous policy (returned) if the new instance could not be started.
  uint32_t KeepServiceForRestart();

  bool IsOpen() const { return device_ != nullptr; }
  platform::Device* GetHandle() const { return device_.get(); }
  // "Portex64" on a 64-bit system, else "Portex32".
  std::string GetServiceName() const;
  bool Is64BitSystem() const;
  // The instructions of the calling thread's processor, for the fallbacks that replace
  // kernel routines on a 64-bit system.
  platform::CpuInstructions& Cpu() const { return platform_.cpu; }

  bool QueryVersion(DriverVersion& version);
  // True only for a successful answer of exactly driver::kExpectedMajor.kExpectedMinor.
  bool IsExpectedVersion();
  bool AddUse();
  bool ReleaseUse();
  // On failure stores driver::kUseCountTag and returns false.
  bool GetUseCount(uint32_t& count);

  // Port reads return the zero-extended value, 0 on failure.
  uint32_t ReadPortByte(uint32_t port);
  uint32_t ReadPortWord(uint32_t port);
  uint32_t ReadPortDword(uint32_t port);
  // Port writes return the driver's second answer word, 0 on failure; callers ignore it.
  uint32_t WritePortByte(uint32_t port, uint32_t value);
  uint32_t WritePortWord(uint32_t port, uint32_t value);
  uint32_t WritePortDword(uint32_t port, uint32_t value);

  // Acts on the processor the calling thread runs on. A failed read leaves all bits set
  // in both halves.
  bool ReadMsr(MsrRequest& request);
  bool WriteMsr(MsrRequest& request);
  // Presets both halves to all ones, so a failed read is recognisable.
  bool ReadMsrValue(MsrRequest& request, uint32_t index);
  bool WriteMsrValue(MsrRequest& request, uint32_t index, uint32_t low, uint32_t high);
  // Refused (false, nothing issued) on a 64-bit system; callers use their dedicated
  // fallbacks there.
  bool RunKernelRoutine(driver::KernelCallBlock& block);

 private:
  int32_t OpenOnce();
  bool Request(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize);
  bool ChangeUseCount(int32_t change, uint32_t& count);
  uint32_t ReadPort(uint32_t code, uint32_t port);
  uint32_t WritePort(uint32_t code, uint32_t port, uint32_t value);
  std::string DriverFilePath() const;
  std::string DevicePath() const;

  platform::Platform& platform_;
  std::unique_ptr<platform::Device> device_;
  uint32_t unloadPolicy_ = kUnloadWhenLastUser;
};

}  // namespace pacetta
