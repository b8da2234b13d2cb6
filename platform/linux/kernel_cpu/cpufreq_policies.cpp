#include "platform/linux/kernel_cpu/cpufreq_policies.h"

#include <algorithm>
#include <string>

namespace pacetta::linux_os {
namespace {

uint32_t Khz(const SysfsRoot& root, const std::string& file) {
  const auto value = root.Unsigned(file);
  return value && *value <= UINT32_MAX ? static_cast<uint32_t>(*value) : 0;
}

std::vector<uint32_t> NumberList(const std::optional<std::vector<std::string>>& words) {
  std::vector<uint32_t> numbers;
  if (!words) return numbers;
  for (const std::string& word : *words) {
    const auto number = ParseUnsigned(word);
    if (number && *number <= UINT32_MAX) numbers.push_back(static_cast<uint32_t>(*number));
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

std::optional<platform::FrequencyPolicy> ReadPolicy(const SysfsRoot& root, uint32_t id,
                                                    std::optional<bool> boost) {
  const std::string folder = std::string(kPolicyFolder) + "/policy" + std::to_string(id) + "/";
  platform::FrequencyPolicy policy;
  policy.id = id;
  const auto driver = root.Line(folder + "scaling_driver");
  policy.cpus = NumberList(root.Words(folder + "affected_cpus"));
  if (!driver || policy.cpus.empty()) return std::nullopt;
  policy.driver = *driver;
  policy.governor = root.Line(folder + "scaling_governor").value_or("");
  policy.governors =
      root.Words(folder + "scaling_available_governors").value_or(std::vector<std::string>{});
  policy.hardwareMinKhz = Khz(root, folder + "cpuinfo_min_freq");
  policy.hardwareMaxKhz = Khz(root, folder + "cpuinfo_max_freq");
  policy.minKhz = Khz(root, folder + "scaling_min_freq");
  policy.maxKhz = Khz(root, folder + "scaling_max_freq");
  // intel_pstate names the guaranteed clock base_frequency, amd-pstate its nominal one.
  policy.baseKhz = Khz(root, folder + "base_frequency");
  if (policy.baseKhz == 0) policy.baseKhz = Khz(root, folder + "amd_pstate_nominal_freq");
  // acpi-cpufreq lists its steps from the highest down.
  policy.stepsKhz = NumberList(root.Words(folder + "scaling_available_frequencies"));
  policy.boost = boost;
  policy.energyPreference = root.Line(folder + "energy_performance_preference").value_or("");
  policy.energyPreferences = root.Words(folder + "energy_performance_available_preferences")
                                 .value_or(std::vector<std::string>{});
  return policy;
}

}  // namespace

std::optional<bool> ReadBoost(const SysfsRoot& root) {
  if (const auto boost = root.Unsigned(kGlobalBoostFile)) return *boost != 0;
  if (const auto noTurbo = root.Unsigned(kNoTurboFile)) return *noTurbo == 0;
  return std::nullopt;
}

std::vector<platform::FrequencyPolicy> ReadPolicies(const SysfsRoot& root) {
  const std::optional<bool> boost = ReadBoost(root);
  std::vector<platform::FrequencyPolicy> policies;
  for (uint32_t id : root.NumberedEntries(kPolicyFolder, "policy")) {
    if (auto policy = ReadPolicy(root, id, boost)) policies.push_back(std::move(*policy));
  }
  return policies;
}

std::optional<uint32_t> ReadCurrentKhz(const SysfsRoot& root, uint32_t cpu) {
  const auto khz = root.Unsigned(std::string(kCpuFolder) + "/cpu" + std::to_string(cpu) +
                                 "/cpufreq/scaling_cur_freq");
  if (!khz || *khz > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(*khz);
}

}  // namespace pacetta::linux_os
