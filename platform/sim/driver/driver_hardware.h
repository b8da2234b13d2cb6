#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/kernel_cpu.h"
#include "platform/sim/driver/io_ports.h"
#include "platform/sim/driver/msr_bank.h"
#include "platform/sim/driver/pci_config_space.h"
#include "platform/sim/driver/pit8254.h"
#include "platform/sim/driver/request_log.h"
#include "platform/sim/driver/violation_log.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

class RegisterTrace;

// The hardware behind the simulated driver: one register bank per processor, PCI
// configuration space, the 8254, the BIOS area and control register 4's PCE bit, plus
// the logs tests read. Every device object of the machine shares one of these.
class DriverHardware {
 public:
  // `clockNs`: nanoseconds of the simulated machine (drives the 8254). `trace`: where the
  // device writes every access and the violations they cause; null = no trace.
  DriverHardware(const MachineSpec& machine, std::function<uint64_t()> clockNs,
                 std::shared_ptr<RegisterTrace> trace = nullptr);
  DriverHardware(const DriverHardware&) = delete;
  DriverHardware& operator=(const DriverHardware&) = delete;

  unsigned ProcessorCount() const { return static_cast<unsigned>(banks_.size()); }
  // Null for a processor the machine does not have. Family models add their register
  // handlers here.
  MsrBank* Bank(unsigned processor);

  IoPorts& Ports() { return ports_; }
  Pit8254& Timer() { return timer_; }
  PciConfigSpace& Pci() { return pci_; }
  // 0xF0000..0xFFFFF, or empty when the machine has none.
  const std::vector<uint8_t>& BiosArea() const { return biosArea_; }
  bool Is64BitSystem() const { return system64_; }

  // CR4.PCE of each processor: whether user mode may read performance counters.
  bool UserCountersEnabled(unsigned processor) const;
  void SetUserCounters(unsigned processor, bool enabled);

  // What the busy-delay routine does with its iterations on the calling thread's
  // processor: the owner makes it take the time a real busy loop would. Set before the
  // device is used.
  void SetBusyDelay(std::function<void(uint32_t iterations)> spin) { busyDelay_ = std::move(spin); }
  // The kernel's frequency policies the device's policy requests go to; null (the
  // default) refuses them. The owner clears it before the policies end.
  void SetKernelCpu(platform::KernelCpu* kernel) { kernelCpu_.store(kernel); }
  platform::KernelCpu* KernelCpu() const { return kernelCpu_.load(); }
  void BusyDelay(uint32_t iterations) const {
    if (busyDelay_) busyDelay_(iterations);
  }

  ViolationLog& Violations() { return violations_; }
  RequestLog& Requests() { return requests_; }
  RegisterTrace* Trace() const { return trace_.get(); }

 private:
  // Outlives the violation log, which reports to it.
  const std::shared_ptr<RegisterTrace> trace_;
  ViolationLog violations_;
  RequestLog requests_;
  std::vector<std::unique_ptr<MsrBank>> banks_;
  PciConfigSpace pci_;
  Pit8254 timer_;
  IoPorts ports_;
  const std::vector<uint8_t> biosArea_;
  const bool system64_;
  mutable std::mutex pceMutex_;
  std::vector<bool> pce_;
  std::function<void(uint32_t)> busyDelay_;
  std::atomic<platform::KernelCpu*> kernelCpu_{nullptr};
};

}  // namespace pacetta::sim
