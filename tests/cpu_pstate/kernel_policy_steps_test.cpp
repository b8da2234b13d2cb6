// The states of a processor that the kernel's frequency driver owns: the policy's steps,
// the boost row, each processor's own steps, and the energy-performance preference where
// the kernel refuses the limits.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "cpu/pstate/kernel_policy.h"

namespace pacetta {
namespace {

CpuInfo TodaysProcessor(uint32_t index) {
  CpuInfo cpu;
  cpu.index = index;
  cpu.hasAperfMperf = 1;
  return cpu;
}

platform::FrequencyPolicy Policy(uint32_t cpu, uint32_t minMhz, uint32_t baseMhz, uint32_t maxMhz,
                                 std::vector<uint32_t> stepsMhz = {}) {
  platform::FrequencyPolicy policy;
  policy.id = cpu;
  policy.cpus = {cpu};
  policy.hardwareMinKhz = policy.minKhz = minMhz * 1000;
  policy.hardwareMaxKhz = policy.maxKhz = maxMhz * 1000;
  policy.baseKhz = baseMhz * 1000;
  for (uint32_t mhz : stepsMhz) policy.stepsKhz.push_back(mhz * 1000);
  policy.energyPreference = "balance_performance";
  policy.energyPreferences = {"default", "performance", "balance_performance", "balance_power",
                              "power"};
  return policy;
}

std::vector<uint32_t> Steps(const CpuInfo& cpu) {
  std::vector<uint32_t> steps;
  for (uint32_t i = 0; i < cpu.candidateCount; ++i) steps.push_back(cpu.candidates[i].defaultFid);
  return steps;
}

TEST(KernelPolicySteps, ListedStepsOrAGridToTheBaseClockWithBoostAsTheTopRow) {
  struct Case {
    const char* driver;
    platform::FrequencyPolicy policy;
    std::vector<uint32_t> steps;
    bool topIsBoost;
  };
  const std::vector<Case> cases = {
      // acpi-cpufreq lists its steps; the one above the base clock is boost.
      {"acpi-cpufreq",
       Policy(0, 1400, 2900, 4200, {1400, 1700, 2900, 4200}),
       {1400, 1700, 2900, 4200},
       true},
      // amd-pstate: every 100 MHz up to the base clock, then boost.
      {"amd-pstate", Policy(0, 1400, 1700, 4200), {1400, 1500, 1600, 1700, 4200}, true},
      // No base clock known: the grid runs to the top, and nothing is called boost.
      {"intel_pstate", Policy(0, 750, 0, 1000), {750, 800, 900, 1000}, false},
  };
  for (const Case& c : cases) {
    CpuInfo cpu = TodaysProcessor(0);
    ASSERT_TRUE(AdoptKernelPolicy(cpu, {c.policy})) << c.driver;
    EXPECT_EQ(Steps(cpu), c.steps) << c.driver;
    const uint32_t topKind = cpu.candidates[cpu.candidateCount - 1].kind;
    EXPECT_EQ(topKind == kCandidateDynamicAcceleration, c.topIsBoost) << c.driver;
    EXPECT_EQ(cpu.candidates[0].kind, kCandidateOrdinary) << c.driver;
  }
}

// Records what the kernel was asked; refuses limits when told to.
class RecordingKernel final : public platform::KernelCpu {
 public:
  bool refuseLimits = false;
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> limits;
  std::map<uint32_t, std::string> preferences;

  std::vector<platform::FrequencyPolicy> Policies() override { return {}; }
  std::optional<uint32_t> CurrentKhz(uint32_t) override { return std::nullopt; }
  std::vector<platform::CpuTemperature> Temperatures() override { return {}; }
  std::vector<platform::FrequencyCompetitor> Competitors() override { return {}; }
  bool SetLimits(uint32_t id, uint32_t minKhz, uint32_t maxKhz) override {
    if (refuseLimits) return false;
    limits[id] = {minKhz, maxKhz};
    return true;
  }
  bool SetEnergyPreference(uint32_t id, const std::string& preference) override {
    preferences[id] = preference;
    return true;
  }
  bool SetBoost(bool) override { return false; }
  bool SetGovernor(uint32_t, const std::string&) override { return false; }
  std::vector<platform::TakenGovernor> TakenGovernors() override { return {}; }
  bool RecordTakenGovernors(const std::vector<platform::TakenGovernor>&) override { return false; }
};

// A hybrid part's performance core and efficiency core, both asked for the rows of the
// performance core's table: each runs at its own step not above the row.
TEST(KernelPolicySteps, EachCoreTypeRunsAtItsOwnStepNotAboveTheRequest) {
  const std::vector<platform::FrequencyPolicy> policies = {Policy(0, 400, 2300, 4700),
                                                           Policy(1, 400, 1700, 3500)};
  CpuInfo performance = TodaysProcessor(0);
  CpuInfo efficiency = TodaysProcessor(1);
  ASSERT_TRUE(AdoptKernelPolicy(performance, policies));
  ASSERT_TRUE(AdoptKernelPolicy(efficiency, policies));
  EXPECT_NE(Steps(performance), Steps(efficiency));

  RecordingKernel kernel;
  const std::vector<std::pair<uint32_t, std::pair<uint32_t, uint32_t>>> rows = {
      {4700, {4700, 3500}}, {2300, {2300, 1700}}, {1200, {1200, 1200}}, {300, {400, 400}}};
  for (const auto& [row, expected] : rows) {
    ASSERT_TRUE(SteerKernelPolicy(performance, kernel, row));
    ASSERT_TRUE(SteerKernelPolicy(efficiency, kernel, row));
    EXPECT_EQ(kernel.limits[0].second, expected.first * 1000) << row;
    EXPECT_EQ(kernel.limits[1].second, expected.second * 1000) << row;
    EXPECT_EQ(kernel.limits[1].first, 400'000u) << "the lowest clock of the start stays";
  }
}

TEST(KernelPolicySteps, RefusedLimitsFallBackToThePreferenceWhichComesBackAtTheEnd) {
  CpuInfo cpu = TodaysProcessor(0);
  ASSERT_TRUE(AdoptKernelPolicy(cpu, {Policy(0, 400, 2300, 4700)}));
  RecordingKernel kernel;
  kernel.refuseLimits = true;
  const std::vector<std::pair<uint32_t, std::string>> rows = {{4700, "performance"},
                                                              {2300, "balance_performance"},
                                                              {1200, "balance_power"},
                                                              {400, "power"}};
  for (const auto& [row, preference] : rows) {
    ASSERT_TRUE(SteerKernelPolicy(cpu, kernel, row)) << row;
    EXPECT_EQ(kernel.preferences[0], preference) << row;
    EXPECT_EQ(cpu.policyMaxKhz, row * 1000) << row;
  }
  kernel.refuseLimits = false;
  EXPECT_TRUE(RestoreKernelPolicy(cpu, kernel));
  EXPECT_EQ(kernel.preferences[0], "balance_performance");
  EXPECT_EQ(kernel.limits[0], std::make_pair(400'000u, 4'700'000u));

  // Without preferences a refusal is a failure.
  CpuInfo bare = TodaysProcessor(0);
  platform::FrequencyPolicy policy = Policy(0, 400, 2300, 4700);
  policy.energyPreferences.clear();
  ASSERT_TRUE(AdoptKernelPolicy(bare, {policy}));
  kernel.refuseLimits = true;
  EXPECT_FALSE(SteerKernelPolicy(bare, kernel, 400));
}

}  // namespace
}  // namespace pacetta
