// Today's processors on the simulated current laptops: the profiles steer the kernel's
// frequency policy, and its limits of the start come back at the end.
#include <gtest/gtest.h>

#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

uint32_t MaxKhz(sim::SimulatedPc& pc, uint32_t policy) {
  for (const platform::FrequencyPolicy& p : pc.KernelCpu().Policies()) {
    if (p.id == policy) return p.maxKhz;
  }
  return 0;
}

// Every policy's highest clock is its own hardware limit (the lowest or the highest).
bool AllAtOwnLimit(sim::SimulatedPc& pc, bool highest) {
  for (const platform::FrequencyPolicy& p : pc.KernelCpu().Policies()) {
    if (p.maxKhz != (highest ? p.hardwareMaxKhz : p.hardwareMinKhz)) return false;
  }
  return true;
}

TEST(KernelPolicy, ProfilesSteerThePolicyLimitsAndTheStartLimitsComeBackAtTheEnd) {
  for (const std::string machine : {"zen-laptop", "hybrid-laptop"}) {
    ProgramRig rig(machine, "full");
    const std::vector<platform::FrequencyPolicy> start = rig.Pc().KernelCpu().Policies();
    ASSERT_FALSE(start.empty()) << machine;
    ASSERT_TRUE(rig.Start()) << machine;
    RunningProgram& program = rig.Program();
    ASSERT_TRUE(program.Abilities().performanceStates) << machine;
    const PStateTable& table = program.Settings().profiles.Table();
    ASSERT_GE(table.Count(), 2) << machine;
    const uint32_t slowest = table.Row(0)->fid * 1000;
    const uint32_t fastest = table.Row(table.lastIndex)->fid * 1000;
    EXPECT_EQ(slowest, start[0].hardwareMinKhz) << machine;
    EXPECT_EQ(fastest, start[0].hardwareMaxKhz) << machine;

    ASSERT_TRUE(program.SelectProfileForSource(kPowerSavingProfile)) << machine;
    // The efficiency cores of the hybrid run at their own steps, not the table's.
    EXPECT_TRUE(ProgramRig::WaitFor([&] { return AllAtOwnLimit(rig.Pc(), false); }))
        << machine << ": power saving";
    EXPECT_LT(rig.Pc().Activity(0)->coreMhz * 1000, fastest) << machine;
    ASSERT_TRUE(program.SelectProfileForSource(kMaximalPerformanceProfile)) << machine;
    EXPECT_TRUE(ProgramRig::WaitFor([&] { return AllAtOwnLimit(rig.Pc(), true); }))
        << machine << ": maximal performance";
    // "No management" leaves the processor as the system had it.
    ASSERT_TRUE(program.SelectProfileForSource(kNoManagementProfile)) << machine;
    EXPECT_TRUE(ProgramRig::WaitFor([&] {
      return MaxKhz(rig.Pc(), start[0].id) == start[0].maxKhz;
    })) << machine
        << ": no management";
    ASSERT_TRUE(program.SelectProfileForSource(kPowerSavingProfile)) << machine;
    ASSERT_TRUE(ProgramRig::WaitFor([&] { return MaxKhz(rig.Pc(), start[0].id) == slowest; }));

    ASSERT_TRUE(rig.Close()) << machine;
    const std::vector<platform::FrequencyPolicy> end = rig.Pc().KernelCpu().Policies();
    ASSERT_EQ(end.size(), start.size()) << machine;
    for (size_t i = 0; i < end.size(); ++i) {
      EXPECT_EQ(end[i].minKhz, start[i].minKhz) << machine << " policy " << end[i].id;
      EXPECT_EQ(end[i].maxKhz, start[i].maxKhz) << machine << " policy " << end[i].id;
    }
  }
}

// Another manager of the policies is named once at start, with what to do about it; a
// machine without a kernel policy to steer has nothing to say.
TEST(KernelPolicy, AnotherFrequencyManagerIsNamedOnceAtStart) {
  const platform::FrequencyCompetitor daemon{
      "power-profiles-daemon", "Stop it with `systemctl stop power-profiles-daemon`."};
  for (const std::string machine : {"zen-laptop", "k8-x2-laptop"}) {
    ProgramRig rig(machine);
    rig.Pc().StartFrequencyCompetitor(daemon);
    ASSERT_TRUE(rig.Start()) << machine;
    ASSERT_TRUE(rig.Close()) << machine;
    const std::string output = rig.Output();
    const size_t first = output.find("power-profiles-daemon also sets");
    if (machine == "zen-laptop") {
      ASSERT_NE(first, std::string::npos) << output;
      EXPECT_NE(output.find(daemon.advice, first), std::string::npos) << output;
      EXPECT_EQ(output.find("power-profiles-daemon also sets", first + 1), std::string::npos);
    } else {
      EXPECT_EQ(first, std::string::npos) << output;
    }
  }
}

}  // namespace
}  // namespace pacetta::testing
