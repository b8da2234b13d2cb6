#include "platform/linux/kernel_cpu/helper_policy_writes.h"

#include <array>
#include <cstring>

#include "hw/driver_protocol.h"

namespace pacetta::linux_os {
namespace {

// The preference text travels NUL-padded in 24 bytes; the longest the kernel knows
// ("balance_performance") fits with room to spare.
constexpr size_t kPreferenceBytes = 24;

}  // namespace

HelperPolicyWrites::HelperPolicyWrites(platform::DeviceIo& deviceIo, std::string devicePath)
    : deviceIo_(deviceIo), devicePath_(std::move(devicePath)) {}

bool HelperPolicyWrites::Send(uint32_t code, const void* in, uint32_t size) {
  const std::lock_guard lock(mutex_);
  if (!device_) device_ = deviceIo_.OpenDevice(devicePath_);
  if (!device_) return false;
  uint32_t returned = 0;
  if (device_->Control(code, in, size, nullptr, 0, &returned)) return true;
  // A refusal and a lost connection look alike; the next write opens it afresh.
  device_.reset();
  return false;
}

bool HelperPolicyWrites::SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) {
  const std::array<uint32_t, 3> words{id, minKhz, maxKhz};
  return Send(driver::kSetFrequencyLimits, words.data(), sizeof words);
}

bool HelperPolicyWrites::SendName(uint32_t code, uint32_t id, const std::string& name) {
  // A text that does not fit with its terminating NUL would arrive cut short.
  if (name.size() >= kPreferenceBytes) return false;
  std::array<uint8_t, 4 + kPreferenceBytes> bytes{};
  std::memcpy(bytes.data(), &id, 4);
  std::memcpy(bytes.data() + 4, name.data(), name.size());
  return Send(code, bytes.data(), bytes.size());
}

bool HelperPolicyWrites::SetEnergyPreference(uint32_t id, const std::string& preference) {
  return SendName(driver::kSetEnergyPreference, id, preference);
}

bool HelperPolicyWrites::SetGovernor(uint32_t id, const std::string& governor) {
  return SendName(driver::kSetGovernor, id, governor);
}

bool HelperPolicyWrites::SetBoost(bool on) {
  const uint32_t word = on ? 1 : 0;
  return Send(driver::kSetBoost, &word, sizeof word);
}

}  // namespace pacetta::linux_os
