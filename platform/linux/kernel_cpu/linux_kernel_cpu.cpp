#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"

#include <array>
#include <cstring>

#include "hw/driver_protocol.h"
#include "platform/linux/kernel_cpu/competitors.h"
#include "platform/linux/kernel_cpu/cpufreq_policies.h"
#include "platform/linux/kernel_cpu/hwmon_temperatures.h"

namespace pacetta::linux_os {
namespace {

// The preference text travels NUL-padded in 24 bytes; the longest the kernel knows
// ("balance_performance") fits with room to spare.
constexpr size_t kPreferenceBytes = 24;

}  // namespace

LinuxKernelCpu::LinuxKernelCpu(SysfsRoot root, platform::DeviceIo& deviceIo, std::string devicePath)
    : root_(std::move(root)), deviceIo_(deviceIo), devicePath_(std::move(devicePath)) {}

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

bool LinuxKernelCpu::Send(uint32_t code, const void* in, uint32_t size) {
  const std::lock_guard lock(mutex_);
  if (!device_) device_ = deviceIo_.OpenDevice(devicePath_);
  if (!device_) return false;
  uint32_t returned = 0;
  if (device_->Control(code, in, size, nullptr, 0, &returned)) return true;
  // A refusal and a lost connection look alike; the next write opens it afresh.
  device_.reset();
  return false;
}

bool LinuxKernelCpu::SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) {
  const std::array<uint32_t, 3> words{id, minKhz, maxKhz};
  return Send(driver::kSetFrequencyLimits, words.data(), sizeof words);
}

bool LinuxKernelCpu::SetEnergyPreference(uint32_t id, const std::string& preference) {
  // A text that does not fit with its terminating NUL would arrive cut short.
  if (preference.size() >= kPreferenceBytes) return false;
  std::array<uint8_t, 4 + kPreferenceBytes> bytes{};
  std::memcpy(bytes.data(), &id, 4);
  std::memcpy(bytes.data() + 4, preference.data(), preference.size());
  return Send(driver::kSetEnergyPreference, bytes.data(), bytes.size());
}

bool LinuxKernelCpu::SetBoost(bool on) {
  const uint32_t word = on ? 1 : 0;
  return Send(driver::kSetBoost, &word, sizeof word);
}

std::unique_ptr<platform::KernelCpu> MakeLinuxKernelCpu(platform::DeviceIo& deviceIo,
                                                        const std::string& devicePath) {
  return std::make_unique<LinuxKernelCpu>(SysfsRoot("/"), deviceIo, devicePath);
}

}  // namespace pacetta::linux_os
