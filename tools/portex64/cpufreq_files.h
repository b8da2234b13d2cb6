#pragma once
#include <cstdint>
#include <mutex>
#include <string>

namespace pacetta::portex {

// The kernel's frequency policy files the program may change: a policy's
// scaling_min_freq, scaling_max_freq, energy_performance_preference and scaling_governor,
// and the boost
// switch (cpufreq/boost, or intel_pstate/no_turbo where that driver runs). Each request
// is checked against the policy as sysfs shows it at that moment: the policy exists,
// the limits lie within its hardware limits with min <= max, the preference is one it
// offers. Files are reached from the root folder one component at a time without
// following symbolic links, and only regular files are written, so neither a crafted
// request nor a planted link can lead a write elsewhere.
class CpufreqFiles {
 public:
  // `root` holds sys/devices/system/cpu: "/" on a real machine.
  explicit CpufreqFiles(std::string root = "/") : root_(std::move(root)) {}
  CpufreqFiles(const CpufreqFiles&) = delete;
  CpufreqFiles& operator=(const CpufreqFiles&) = delete;

  // Each returns an empty text when done, otherwise why it was refused or failed.
  // The limits are written in the order that keeps min <= max at every moment.
  std::string SetLimits(uint32_t policy, uint32_t minKhz, uint32_t maxKhz);
  std::string SetEnergyPreference(uint32_t policy, const std::string& preference);
  std::string SetBoost(uint32_t on);
  // Only a governor listed in the policy's scaling_available_governors, written to its
  // scaling_governor.
  std::string SetGovernor(uint32_t policy, const std::string& governor);

  // The text of the NUL-padded `size` bytes of a request; empty when a byte is not
  // printable ASCII (blanks included: no preference has one), when nothing precedes the
  // padding, or when anything but NULs follows the text.
  static std::string PaddedText(const uint8_t* bytes, size_t size);

 private:
  std::string root_;
  std::mutex mutex_;  // one change at a time: two clients' limits must not interleave
};

}  // namespace pacetta::portex
