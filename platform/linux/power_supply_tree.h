#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/power.h"

namespace pacetta::linux_os {

inline constexpr char kPowerSupplyRoot[] = "/sys/class/power_supply";

// The global power status from the kernel's power-supply class folder (one folder per
// adapter or battery): the AC line is online when any adapter is, the batteries'
// charge is their summed energy (or charge) over their summed full values, and the
// remaining time comes from the discharge rate. Supplies of peripherals (scope
// "Device") do not count. A machine with no adapter and no battery runs on AC power.
// Nullopt when `root` cannot be listed.
std::optional<platform::PowerStatus> ReadPowerSupplies(const std::string& root = kPowerSupplyRoot);

// An attribute file of a supply's folder: its first line without trailing blanks (empty
// when absent), or that line as a whole decimal number (nullopt when it is not one).
std::string SupplyAttribute(const std::filesystem::path& folder, const char* name);
std::optional<int64_t> SupplyNumber(const std::filesystem::path& folder, const char* name);

}  // namespace pacetta::linux_os
