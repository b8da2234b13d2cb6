#pragma once
#include <string>
#include <vector>

#include "platform/kernel_cpu.h"
#include "platform/linux/kernel_cpu/sysfs_root.h"

namespace pacetta::linux_os {

inline constexpr char kHwmonFolder[] = "sys/class/hwmon";

// Whether a hardware-monitoring device of this name measures processors: coretemp
// (Intel cores and packages), k10temp and zenpower (AMD family 10h and later), k8temp
// (AMD family 0Fh), via_cputemp (VIA C7 and Nano), and the thermal zones of ARM boards
// the kernel names cpu_thermal, cpu0_thermal, cpu_little_thermal ...
bool IsCpuHwmon(const std::string& name);

// Every tempK_input of the processor hwmon devices, with tempK_label ("tempK" where the
// driver gives none) and the logical processors each value stands for.
std::vector<platform::CpuTemperature> ReadCpuTemperatures(const SysfsRoot& root);

}  // namespace pacetta::linux_os
