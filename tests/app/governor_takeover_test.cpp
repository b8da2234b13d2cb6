// The kernel's governors of processors steered by their registers: handed to `userspace`
// while the program manages them, given back at the end, and after a killed run at the
// next start.
#include "app/lifecycle/governor_takeover.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

using Taken = std::vector<platform::TakenGovernor>;

// Policies with governors, a record, and switches refused for chosen policies.
class GovernorKernel final : public platform::KernelCpu {
 public:
  std::vector<platform::FrequencyPolicy> policies;
  std::set<uint32_t> refuse;
  Taken record;

  void Add(uint32_t id, std::vector<uint32_t> cpus, std::string governor,
           std::vector<std::string> offered = {"ondemand", "userspace", "schedutil",
                                               "performance"}) {
    platform::FrequencyPolicy policy;
    policy.id = id;
    policy.cpus = std::move(cpus);
    policy.driver = "acpi-cpufreq";
    policy.governor = std::move(governor);
    policy.governors = std::move(offered);
    policies.push_back(std::move(policy));
  }
  std::map<uint32_t, std::string> Governors() const {
    std::map<uint32_t, std::string> all;
    for (const auto& p : policies) all[p.id] = p.governor;
    return all;
  }

  std::vector<platform::FrequencyPolicy> Policies() override { return policies; }
  std::optional<uint32_t> CurrentKhz(uint32_t) override { return std::nullopt; }
  std::vector<platform::CpuTemperature> Temperatures() override { return {}; }
  std::vector<platform::FrequencyCompetitor> Competitors() override { return {}; }
  bool SetLimits(uint32_t, uint32_t, uint32_t) override { return false; }
  bool SetEnergyPreference(uint32_t, const std::string&) override { return false; }
  bool SetBoost(bool) override { return false; }
  bool SetGovernor(uint32_t id, const std::string& governor) override {
    for (auto& p : policies) {
      if (p.id != id || refuse.contains(id)) continue;
      if (std::find(p.governors.begin(), p.governors.end(), governor) == p.governors.end()) {
        return false;
      }
      p.governor = governor;
      return true;
    }
    return false;
  }
  Taken TakenGovernors() override { return record; }
  bool RecordTakenGovernors(const Taken& taken) override {
    record = taken;
    return true;
  }
};

TEST(GovernorTakeover, SwitchesOnlyTheCoveringPoliciesAndRecordsBeforeGivingBack) {
  GovernorKernel kernel;
  kernel.Add(0, {0, 1}, "ondemand");
  kernel.Add(2, {2}, "userspace");  // already so: nothing to give back
  kernel.Add(3, {3}, "schedutil");  // a processor the program does not steer
  {
    GovernorTakeover takeover(kernel);
    ASSERT_EQ(takeover.TakeOver({1, 2}), std::nullopt);
    EXPECT_EQ(kernel.Governors(), (std::map<uint32_t, std::string>{
                                      {0, "userspace"}, {2, "userspace"}, {3, "schedutil"}}));
    EXPECT_EQ(kernel.record, (Taken{{0, "ondemand"}}));
    takeover.Restore();
    EXPECT_EQ(kernel.Governors(), (std::map<uint32_t, std::string>{
                                      {0, "ondemand"}, {2, "userspace"}, {3, "schedutil"}}));
    EXPECT_TRUE(kernel.record.empty());
    // Given back once: a later change by the user stays.
    kernel.policies[0].governor = "performance";
  }
  EXPECT_EQ(kernel.policies[0].governor, "performance");
}

TEST(GovernorTakeover, RefusesWholeOrPutsBackWhatItSwitched) {
  struct Case {
    const char* name;
    std::vector<std::string> offered1;
    bool helperRefuses1;
    bool noUserspace;
  };
  const Case cases[] = {
      {"policy 1 offers no userspace", {"ondemand", "performance"}, false, true},
      {"the helper refuses policy 1", {"ondemand", "userspace"}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GovernorKernel kernel;
    kernel.Add(0, {0}, "ondemand");
    kernel.Add(1, {1}, "conservative", c.offered1);
    kernel.policies[1].governors.push_back("conservative");
    if (c.helperRefuses1) kernel.refuse.insert(1);
    GovernorTakeover takeover(kernel);
    const auto refusal = takeover.TakeOver({0, 1});
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->policy, 1u);
    EXPECT_EQ(refusal->governor, "conservative");
    EXPECT_EQ(refusal->driver, "acpi-cpufreq");
    EXPECT_EQ(refusal->noUserspace, c.noUserspace);
    EXPECT_EQ(kernel.Governors(),
              (std::map<uint32_t, std::string>{{0, "ondemand"}, {1, "conservative"}}));
    EXPECT_TRUE(kernel.record.empty());
    EXPECT_TRUE(takeover.Taken().empty());
  }
}

// A killed run left policy 0 and 1 on userspace; since then the user chose performance
// for policy 1. Only policy 0 goes back, and the new takeover records the governors the
// system had, never `userspace`.
TEST(GovernorTakeover, ALeftoverRecordIsPutBackBeforeTheNextTakeover) {
  GovernorKernel kernel;
  kernel.Add(0, {0}, "userspace");
  kernel.Add(1, {1}, "performance");
  kernel.record = {{0, "schedutil"}, {1, "schedutil"}};
  GovernorTakeover takeover(kernel);
  takeover.RestoreLeftover();
  EXPECT_EQ(kernel.Governors(),
            (std::map<uint32_t, std::string>{{0, "schedutil"}, {1, "performance"}}));
  EXPECT_TRUE(kernel.record.empty());
  ASSERT_EQ(takeover.TakeOver({0, 1}), std::nullopt);
  EXPECT_EQ(kernel.record, (Taken{{0, "schedutil"}, {1, "performance"}}));
  takeover.Restore();
  EXPECT_EQ(kernel.Governors(),
            (std::map<uint32_t, std::string>{{0, "schedutil"}, {1, "performance"}}));
}

std::set<std::string> GovernorsOf(sim::SimulatedPc& pc) {
  std::set<std::string> all;
  for (const auto& policy : pc.KernelCpu().Policies()) all.insert(policy.governor);
  return all;
}

// The whole program on the simulated dual-core K8 with acpi-cpufreq loaded.
TEST(GovernorTakeover, TheProgramHoldsUserspaceWhileItRunsAndGivesTheGovernorBack) {
  ProgramRig rig("k8-x2-laptop", {}, "ondemand");
  ASSERT_EQ(rig.Pc().KernelCpu().Policies().size(), 2u);
  ASSERT_TRUE(rig.Start()) << rig.Output();
  EXPECT_EQ(GovernorsOf(rig.Pc()), std::set<std::string>{"userspace"});
  EXPECT_EQ(rig.Pc().View().kernelCpu.TakenGovernors(), (Taken{{0, "ondemand"}, {1, "ondemand"}}));
  // The profiles move the state both ways, and never under a governor.
  RunningProgram& program = rig.Program();
  const PStateTable& table = program.Settings().profiles.Table();
  ASSERT_GE(table.Count(), 2);
  using Step = std::pair<int32_t, int32_t>;  // profile, the table row it runs
  for (const auto& [profile, row] :
       {Step{kPowerSavingProfile, 0}, Step{kMaximalPerformanceProfile, table.lastIndex}}) {
    ASSERT_TRUE(program.SelectProfileForSource(profile));
    const uint32_t fid = table.Row(row)->fid;
    EXPECT_TRUE(ProgramRig::WaitFor([&] {
      const auto state = rig.Pc().ProcessorState(0);
      return state && !state->transitionPending && state->current.fid == fid;
    })) << profile;
  }
  EXPECT_TRUE(rig.Pc().Violations().empty());
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(GovernorsOf(rig.Pc()), std::set<std::string>{"ondemand"});
  EXPECT_TRUE(rig.Pc().View().kernelCpu.TakenGovernors().empty());
}

TEST(GovernorTakeover, WithoutUserspaceTheProgramSaysWhyAndDoesNotManage) {
  ProgramRig rig("k8-x2-laptop", {}, "ondemand:ondemand,performance");
  EXPECT_FALSE(rig.Start());
  rig.Program().Shutdown();  // as the program's flow ends a failed start
  const std::string output = rig.Output();
  EXPECT_NE(output.find("acpi-cpufreq runs processor policy 0 with the governor \"ondemand\""),
            std::string::npos)
      << output;
  EXPECT_EQ(GovernorsOf(rig.Pc()), std::set<std::string>{"ondemand"});
  EXPECT_TRUE(rig.Pc().View().kernelCpu.TakenGovernors().empty());
}

}  // namespace
}  // namespace pacetta::testing
