#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/kernel_cpu.h"
#include "platform/linux/kernel_cpu/sysfs_root.h"

namespace pacetta::linux_os {

inline constexpr char kCpuFolder[] = "sys/devices/system/cpu";
inline constexpr char kPolicyFolder[] = "sys/devices/system/cpu/cpufreq";
inline constexpr char kGlobalBoostFile[] = "sys/devices/system/cpu/cpufreq/boost";
inline constexpr char kNoTurboFile[] = "sys/devices/system/cpu/intel_pstate/no_turbo";

// Every cpufreq/policyN the kernel has, by id. A policy without a readable driver or
// processor list (one being torn down as its processors go offline) is left out.
std::vector<platform::FrequencyPolicy> ReadPolicies(const SysfsRoot& root);

// The machine-wide boost switch: cpufreq/boost where the driver has it, otherwise the
// inverse of intel_pstate/no_turbo; nullopt when neither can be read.
std::optional<bool> ReadBoost(const SysfsRoot& root);

// scaling_cur_freq of processor `cpu`.
std::optional<uint32_t> ReadCurrentKhz(const SysfsRoot& root, uint32_t cpu);

}  // namespace pacetta::linux_os
