// The events engine's request for the active OS scheme, answered by the running program
// before and after a profile that names a system scheme becomes current.
#include <gtest/gtest.h>

#include "app/window_messages.h"
#include "tests/app/program_rig.h"
#include "tests/os_power/os_power_rig.h"

namespace pacetta::testing {
namespace {

power::SchemeId Ask(RunningProgram& program) {
  power::SchemeId buffer{};
  EXPECT_EQ(program.AnswerSchemeRequest(buffer), 1);
  return buffer;
}

power::SchemeId ActiveInTruth(sim::SimOsPower& system, bool legacy) {
  const sim::SimOsPowerState truth = system.Truth();
  if (!legacy) return truth.activePlan;
  power::SchemeId id{};
  for (size_t b = 0; b < 4; ++b) id[b] = static_cast<uint8_t>(truth.activeScheme >> (8 * b));
  return id;
}

TEST(SchemeRequest, AnswersTheActiveSchemeBeforeAndAfterAProfileSwitch) {
  for (const char* machine : {kLegacyMachine, kPlansMachine}) {
    SCOPED_TRACE(machine);
    ProgramRig rig(machine);
    ASSERT_TRUE(rig.Start());
    RunningProgram& program = rig.Program();
    sim::SimOsPower& system = rig.Pc().OsPowerPolicy();
    const bool legacy = rig.Pc().View().system.Version().major < 6;
    const power::OsPowerPolicy& policy = rig.App().OsPower();
    ASSERT_GE(policy.SchemeCount(), 2);

    // The start scheme, as the system itself says.
    const power::SchemeId start = ActiveInTruth(system, legacy);
    EXPECT_EQ(Ask(program), start);

    // Another profile names a listed scheme that is not the active one.
    const int32_t other = program.CurrentProfile() == kPowerSavingProfile
                              ? kMaximalPerformanceProfile
                              : kPowerSavingProfile;
    const power::SchemeId chosen =
        policy.Scheme(0)->id == start ? policy.Scheme(1)->id : policy.Scheme(0)->id;
    Profile edited = *program.Settings().profiles.At(other);
    edited.osLink = chosen;
    if (legacy) edited.osLink[4] = static_cast<uint8_t>(power::kUseOsScheme);
    program.ApplyProfile(other, edited);
    EXPECT_EQ(Ask(program), start);  // not in use yet

    EXPECT_EQ(program.OnSent({kMsgSetProfile, static_cast<uint32_t>(other), 3}), 1);
    EXPECT_EQ(ActiveInTruth(system, legacy), chosen);
    EXPECT_EQ(Ask(program), chosen);
  }
}

}  // namespace
}  // namespace pacetta::testing
