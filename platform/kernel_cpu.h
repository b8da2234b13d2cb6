#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// One frequency policy of the kernel: the processors it governs and its limits. On
// today's processors the kernel's frequency driver owns the performance states; the
// program steers them through these limits instead of writing the processor's registers.
struct FrequencyPolicy {
  uint32_t id = 0;                 // the N of cpufreq/policyN
  std::vector<uint32_t> cpus;      // processors it governs (affected_cpus), ascending
  std::string driver;              // scaling_driver: "acpi-cpufreq", "intel_pstate", ...
  std::string governor;            // scaling_governor
  uint32_t hardwareMinKhz = 0;     // cpuinfo_min_freq
  uint32_t hardwareMaxKhz = 0;     // cpuinfo_max_freq (with boost where the driver counts it)
  uint32_t minKhz = 0;             // scaling_min_freq
  uint32_t maxKhz = 0;             // scaling_max_freq
  uint32_t baseKhz = 0;            // base_frequency / amd_pstate_nominal_freq; 0 unknown
  std::vector<uint32_t> stepsKhz;  // scaling_available_frequencies, ascending; empty: none
  // Boost: cpufreq/boost, or the inverse of intel_pstate/no_turbo; nullopt when neither.
  std::optional<bool> boost;
  // scaling_available_governors; empty where not shown.
  std::vector<std::string> governors;
  // energy_performance_preference and its choices; empty where the driver has none.
  std::string energyPreference;
  std::vector<std::string> energyPreferences;
};

// A policy's governor as it was before this program switched it: kept outside the
// program, so that the next start can put back what a killed run left switched.
struct TakenGovernor {
  uint32_t id = 0;       // the policy
  std::string governor;  // its governor before the switch
  bool operator==(const TakenGovernor&) const = default;
};

// A temperature the kernel's hardware-monitoring drivers report for processors.
struct CpuTemperature {
  std::string driver;  // hwmon name: "coretemp", "k10temp", ...
  std::string label;   // "Core 4", "Package id 0", "Tctl", "Tccd1", ...
  double celsius = 0.0;
  // The logical processors it stands for (a core's threads, or every processor of the
  // package for a package-wide value); empty when it cannot be told.
  std::vector<uint32_t> cpus;
};

// Another program that manages processor frequencies or the power profile and would
// fight this one, found at start.
struct FrequencyCompetitor {
  std::string name;    // "power-profiles-daemon", "TLP", "auto-cpufreq", "governor ondemand"
  std::string advice;  // one sentence: how to let this program steer
};

// What the kernel offers about today's processors: frequency policies and their
// limits, the current clock, temperatures. Reading needs no privilege; the writes go
// through the privileged helper, which accepts only a policy's own limit files and
// values within the policy's hardware limits.
class KernelCpu {
 public:
  virtual ~KernelCpu() = default;
  // Every policy, by id; empty where the kernel has no frequency driver.
  virtual std::vector<FrequencyPolicy> Policies() = 0;
  // scaling_cur_freq of processor `cpu` (the kernel's view, averaged over its last
  // tick); nullopt when not readable.
  virtual std::optional<uint32_t> CurrentKhz(uint32_t cpu) = 0;
  // Every processor temperature the hardware-monitoring drivers report now.
  virtual std::vector<CpuTemperature> Temperatures() = 0;
  // Other frequency managers running now.
  virtual std::vector<FrequencyCompetitor> Competitors() = 0;

  // Sets policy `id`'s scaling_min_freq and scaling_max_freq (in the order that keeps
  // min <= max at every moment). False when refused or not written.
  virtual bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) = 0;
  // Sets energy_performance_preference; false when refused or not written.
  virtual bool SetEnergyPreference(uint32_t id, const std::string& preference) = 0;
  // Switches boost (cpufreq/boost or intel_pstate/no_turbo); false when refused.
  virtual bool SetBoost(bool on) = 0;
  // Sets policy `id`'s scaling_governor to one it offers; false when refused.
  virtual bool SetGovernor(uint32_t id, const std::string& governor) = 0;

  // The governors this program switched and has not put back yet, as last recorded.
  virtual std::vector<TakenGovernor> TakenGovernors() = 0;
  // Replaces that record; an empty list removes it. False when it could not be kept.
  virtual bool RecordTakenGovernors(const std::vector<TakenGovernor>& taken) = 0;
};

}  // namespace pacetta::platform
