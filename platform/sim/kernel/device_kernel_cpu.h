#pragma once
#include <string>

#include "platform/kernel_cpu.h"
#include "platform/linux/kernel_cpu/governor_record.h"
#include "platform/linux/kernel_cpu/helper_policy_writes.h"
#include "platform/sim/kernel/sim_kernel_cpu.h"

namespace pacetta::sim {

// The program's view of the simulated kernel: it reads the policies as anyone may, and
// writes them as on a real machine, through driver requests to the simulated helper,
// which checks them and leaves them in the register trace. The record of the governors
// it switched is a file in the machine's state folder (`recordPath`), as on Linux in the
// runtime folder.
class DeviceKernelCpu final : public platform::KernelCpu {
 public:
  DeviceKernelCpu(SimKernelCpu& kernel, platform::DeviceIo& deviceIo, std::string devicePath,
                  std::string recordPath)
      : kernel_(kernel), writes_(deviceIo, std::move(devicePath)), record_(std::move(recordPath)) {}

  std::vector<platform::FrequencyPolicy> Policies() override { return kernel_.Policies(); }
  std::optional<uint32_t> CurrentKhz(uint32_t cpu) override { return kernel_.CurrentKhz(cpu); }
  std::vector<platform::CpuTemperature> Temperatures() override { return kernel_.Temperatures(); }
  std::vector<platform::FrequencyCompetitor> Competitors() override {
    return kernel_.Competitors();
  }
  bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) override {
    return writes_.SetLimits(id, minKhz, maxKhz);
  }
  bool SetEnergyPreference(uint32_t id, const std::string& preference) override {
    return writes_.SetEnergyPreference(id, preference);
  }
  bool SetBoost(bool on) override { return writes_.SetBoost(on); }
  bool SetGovernor(uint32_t id, const std::string& governor) override {
    return writes_.SetGovernor(id, governor);
  }
  std::vector<platform::TakenGovernor> TakenGovernors() override { return record_.Read(); }
  bool RecordTakenGovernors(const std::vector<platform::TakenGovernor>& taken) override {
    return record_.Write(taken);
  }

 private:
  SimKernelCpu& kernel_;
  linux_os::HelperPolicyWrites writes_;
  linux_os::GovernorRecord record_;
};

}  // namespace pacetta::sim
