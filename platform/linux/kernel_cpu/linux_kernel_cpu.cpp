#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"

#include "platform/linux/kernel_cpu/competitors.h"
#include "platform/linux/kernel_cpu/cpufreq_policies.h"
#include "platform/linux/kernel_cpu/hwmon_temperatures.h"

namespace pacetta::linux_os {

LinuxKernelCpu::LinuxKernelCpu(SysfsRoot root, platform::DeviceIo& deviceIo, std::string devicePath,
                               std::string recordPath)
    : root_(std::move(root)),
      writes_(deviceIo, std::move(devicePath)),
      record_(std::move(recordPath)) {}

std::vector<platform::FrequencyPolicy> LinuxKernelCpu::Policies() {
  return ReadPolicies(root_);
}

std::optional<uint32_t> LinuxKernelCpu::CurrentKhz(uint32_t cpu) {
  return ReadCurrentKhz(root_, cpu);
}

std::vector<platform::CpuTemperature> LinuxKernelCpu::Temperatures() {
  return ReadCpuTemperatures(root_);
}

std::vector<platform::FrequencyCompetitor> LinuxKernelCpu::Competitors() {
  const std::lock_guard lock(mutex_);
  if (!competitors_) competitors_ = FindCompetitors(root_, ReadPolicies(root_));
  return *competitors_;
}

bool LinuxKernelCpu::SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) {
  return writes_.SetLimits(id, minKhz, maxKhz);
}

bool LinuxKernelCpu::SetEnergyPreference(uint32_t id, const std::string& preference) {
  return writes_.SetEnergyPreference(id, preference);
}

bool LinuxKernelCpu::SetBoost(bool on) {
  return writes_.SetBoost(on);
}

bool LinuxKernelCpu::SetGovernor(uint32_t id, const std::string& governor) {
  return writes_.SetGovernor(id, governor);
}

std::unique_ptr<platform::KernelCpu> MakeLinuxKernelCpu(platform::DeviceIo& deviceIo,
                                                        const std::string& devicePath) {
  return std::make_unique<LinuxKernelCpu>(SysfsRoot("/"), deviceIo, devicePath,
                                          MachineGovernorRecordPath());
}

}  // namespace pacetta::linux_os
