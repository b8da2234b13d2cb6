#pragma once
// A machine whose kernel has no frequency driver and no hardware monitor: nothing to
// read, every write refused.
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel_cpu.h"

namespace pacetta::testing {

class NoKernelCpu final : public platform::KernelCpu {
 public:
  std::vector<platform::FrequencyPolicy> Policies() override { return {}; }
  std::optional<uint32_t> CurrentKhz(uint32_t) override { return std::nullopt; }
  std::vector<platform::CpuTemperature> Temperatures() override { return {}; }
  std::vector<platform::FrequencyCompetitor> Competitors() override { return {}; }
  bool SetLimits(uint32_t, uint32_t, uint32_t) override { return false; }
  bool SetEnergyPreference(uint32_t, const std::string&) override { return false; }
  bool SetBoost(bool) override { return false; }
  bool SetGovernor(uint32_t, const std::string&) override { return false; }
  std::vector<platform::TakenGovernor> TakenGovernors() override { return {}; }
  bool RecordTakenGovernors(const std::vector<platform::TakenGovernor>&) override { return false; }
};

}  // namespace pacetta::testing
