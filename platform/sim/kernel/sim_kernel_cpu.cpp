#include "platform/sim/kernel/sim_kernel_cpu.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/linux/kernel_cpu/governor_record.h"
#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/models/modern_model.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kKhzPerRatio = 100'000;
// energy_performance_preference choices and the EPP values the drivers write for them.
const std::vector<std::pair<std::string, uint32_t>> kPreferences = {{"default", 0x80},
                                                                    {"performance", 0},
                                                                    {"balance_performance", 0x80},
                                                                    {"balance_power", 0xC0},
                                                                    {"power", 0xFF}};

std::optional<uint32_t> EppOf(const std::string& preference) {
  for (const auto& [name, value] : kPreferences) {
    if (name == preference) return value;
  }
  return std::nullopt;
}

// The core id a hardware monitor names: the APIC id without its thread bits (leaf 0Bh
// sub-leaf 0 EAX 4:0 where present, else one thread bit).
uint32_t CoreIdOf(const ProcessorSpec& processor) {
  uint32_t shift = 1;
  if (MaxStandardLeaf(processor.leaves) >= 0xB) {
    shift = LeafOf(processor.leaves, 0xB).eax & 0x1F;
  }
  return processor.apicId >> shift;
}

const std::vector<std::string> kUsualGovernors = {"conservative", "ondemand",    "userspace",
                                                  "powersave",    "performance", "schedutil"};

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> words;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    words.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return words;
    start = comma + 1;
  }
}

}  // namespace

std::optional<SimCpufreqDriver> ParseSimCpufreq(const std::string& option) {
  SimCpufreqDriver driver;
  const size_t colon = option.find(':');
  driver.governor = option.substr(0, colon);
  driver.governors =
      colon == std::string::npos ? kUsualGovernors : SplitCommas(option.substr(colon + 1));
  const auto& offered = driver.governors;
  for (const std::string& name : offered) {
    if (name.empty()) return std::nullopt;
  }
  if (std::find(offered.begin(), offered.end(), driver.governor) == offered.end()) {
    return std::nullopt;
  }
  return driver;
}

SimKernelCpu::SimKernelCpu(const MachineSpec& machine, const ProcessorModels& models,
                           std::function<std::optional<ProcessorTruth>(unsigned)> truth,
                           const SimCpufreqDriver& older)
    : truth_(std::move(truth)), governorFile_(older.stateFile) {
  // The older driver's governors as a previous run left them in the kernel.
  std::vector<platform::TakenGovernor> kept;
  if (!older.governor.empty() && !governorFile_.empty()) {
    kept = linux_os::GovernorRecord(governorFile_).Read();
  }
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    auto* model = dynamic_cast<ModernModel*>(models.Model(k));
    if (model == nullptr) {
      if (older.governor.empty()) continue;
      Policy policy;
      policy.shown.id = k;
      policy.shown.cpus = {k};
      policy.shown.driver = kRegisterMachineDriver;
      policy.shown.governor = older.governor;
      policy.shown.governors = older.governors;
      for (const auto& entry : kept) {
        if (entry.id == k) policy.shown.governor = entry.governor;
      }
      policies_.push_back(std::move(policy));
      continue;
    }
    const ModernPart& part = model->Part();
    intel_ = ClassifyProcessor(machine.processors[k].leaves).family == ModelFamily::kIntelHwp;
    Policy policy;
    policy.model = model;
    policy.coreId = CoreIdOf(machine.processors[k]);
    auto& shown = policy.shown;
    shown.id = k;
    shown.cpus = {k};
    shown.driver = intel_ ? "intel_pstate" : "amd-pstate-epp";
    shown.governor = "powersave";
    shown.hardwareMinKhz = part.lowestRatio * kKhzPerRatio;
    shown.hardwareMaxKhz = part.highestRatio * kKhzPerRatio;
    shown.minKhz = shown.hardwareMinKhz;
    shown.baseKhz = part.baseRatio * kKhzPerRatio;
    shown.energyPreference = "balance_performance";
    for (const auto& choice : kPreferences) shown.energyPreferences.push_back(choice.first);
    policy.askedMaxKhz = shown.hardwareMaxKhz;
    policies_.push_back(std::move(policy));
  }
  std::lock_guard lock(mutex_);
  for (const Policy& policy : policies_) SteerLocked(policy);
}

bool SimKernelCpu::SetGovernor(uint32_t id, const std::string& governor) {
  std::lock_guard lock(mutex_);
  Policy* policy = FindLocked(id);
  if (policy == nullptr) return false;
  const auto& offered = policy->shown.governors;
  if (std::find(offered.begin(), offered.end(), governor) == offered.end()) return false;
  policy->shown.governor = governor;
  if (governorFile_.empty()) return true;
  std::vector<platform::TakenGovernor> all;
  for (const Policy& each : policies_) all.push_back({each.shown.id, each.shown.governor});
  return linux_os::GovernorRecord(governorFile_).Write(all);
}

platform::FrequencyPolicy SimKernelCpu::ShownLocked(const Policy& policy) const {
  platform::FrequencyPolicy shown = policy.shown;
  if (policy.model == nullptr) return shown;  // the older driver's: no limits to show
  const uint32_t cap = boost_ ? shown.hardwareMaxKhz : shown.baseKhz;
  shown.maxKhz = std::max(std::min(policy.askedMaxKhz, cap), shown.minKhz);
  shown.boost = boost_;
  return shown;
}

void SimKernelCpu::SteerLocked(const Policy& policy) const {
  if (policy.model == nullptr) return;
  const platform::FrequencyPolicy shown = ShownLocked(policy);
  const uint32_t floor = (shown.minKhz + kKhzPerRatio - 1) / kKhzPerRatio;
  const uint32_t ceiling = shown.maxKhz / kKhzPerRatio;
  policy.model->Steer(floor, ceiling, EppOf(shown.energyPreference).value_or(0x80));
}

SimKernelCpu::Policy* SimKernelCpu::FindLocked(uint32_t id) {
  for (Policy& policy : policies_) {
    if (policy.shown.id == id) return &policy;
  }
  return nullptr;
}

std::vector<platform::FrequencyPolicy> SimKernelCpu::Policies() {
  std::lock_guard lock(mutex_);
  std::vector<platform::FrequencyPolicy> shown;
  for (const Policy& policy : policies_) shown.push_back(ShownLocked(policy));
  return shown;
}

std::optional<uint32_t> SimKernelCpu::CurrentKhz(uint32_t cpu) {
  {
    std::lock_guard lock(mutex_);
    const Policy* policy = FindLocked(cpu);
    // No frequency driver there, or the older one, which the program does not read.
    if (policy == nullptr || policy->model == nullptr) return std::nullopt;
  }
  const auto truth = truth_(cpu);
  if (!truth) return std::nullopt;
  return static_cast<uint32_t>(std::lround(truth->coreMhz * 1000));
}

std::vector<platform::CpuTemperature> SimKernelCpu::Temperatures() {
  std::vector<std::pair<uint32_t, uint32_t>> cpus;  // (cpu, core id)
  {
    std::lock_guard lock(mutex_);
    for (const Policy& policy : policies_) {
      if (policy.model != nullptr) cpus.emplace_back(policy.shown.id, policy.coreId);
    }
  }
  if (cpus.empty()) return {};
  // A core's sensor reads its hottest thread; the package's, its hottest core.
  std::map<uint32_t, platform::CpuTemperature> cores;
  platform::CpuTemperature package{
      intel_ ? "coretemp" : "k10temp", intel_ ? "Package id 0" : "Tctl", -273.15, {}};
  for (const auto& [cpu, core] : cpus) {
    const auto truth = truth_(cpu);
    if (!truth) continue;
    auto& entry = cores[core];
    if (entry.cpus.empty()) {
      entry = {"coretemp", "Core " + std::to_string(core), truth->celsius, {}};
    }
    entry.celsius = std::max(entry.celsius, truth->celsius);
    entry.cpus.push_back(cpu);
    package.celsius = std::max(package.celsius, truth->celsius);
    package.cpus.push_back(cpu);
  }
  std::vector<platform::CpuTemperature> all;
  if (package.cpus.empty()) return all;
  all.push_back(package);
  // k10temp has no per-core sensor on these parts.
  if (intel_) {
    for (auto& entry : cores) all.push_back(std::move(entry.second));
  }
  return all;
}

bool SimKernelCpu::SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) {
  std::lock_guard lock(mutex_);
  Policy* policy = FindLocked(id);
  if (policy == nullptr || policy->model == nullptr || minKhz > maxKhz) return false;
  auto& shown = policy->shown;
  const uint32_t low = shown.hardwareMinKhz, high = shown.hardwareMaxKhz;
  // The program's writes reach the kernel through the helper, which refuses a value
  // outside the policy's hardware limits rather than let the kernel clamp it.
  if (minKhz < low || maxKhz > high) return false;
  shown.minKhz = minKhz;
  policy->askedMaxKhz = maxKhz;
  SteerLocked(*policy);
  return true;
}

bool SimKernelCpu::SetEnergyPreference(uint32_t id, const std::string& preference) {
  std::lock_guard lock(mutex_);
  Policy* policy = FindLocked(id);
  if (policy == nullptr || policy->model == nullptr || !EppOf(preference)) return false;
  policy->shown.energyPreference = preference == "default" ? "balance_performance" : preference;
  SteerLocked(*policy);
  return true;
}

bool SimKernelCpu::SetBoost(bool on) {
  std::lock_guard lock(mutex_);
  const auto modern = [](const Policy& policy) { return policy.model != nullptr; };
  if (std::none_of(policies_.begin(), policies_.end(), modern)) return false;
  boost_ = on;
  for (const Policy& policy : policies_) SteerLocked(policy);
  return true;
}

}  // namespace pacetta::sim
