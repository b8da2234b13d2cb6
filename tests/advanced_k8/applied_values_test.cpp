// The program writes the K8's "CPU setup" only with values that were applied: the stored
// ones at start with "RememberAdvanced", the page's on "Apply", and those again after a
// power-source change or a resume.
#include <gtest/gtest.h>

#include "app/advanced/k8_advanced.h"
#include "cpu/advanced/k8/k8_power_registers.h"
#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

// The halt state's (7) mode byte: CPU low power, divide by 32.
constexpr uint32_t kStoredPmm1 = 0x21000000;
constexpr uint32_t kStoredPmm0 = 0x00000011;

TEST(K8AppliedValues, OnlyStoredValuesTakenAtStartOrAppliedOnesReachTheHardware) {
  for (const bool remember : {false, true}) {
    ProgramRig rig("k8-x2-laptop");
    rig.StampProcessor();
    rig.Store("RememberAdvanced", remember ? 1 : 0);
    rig.Store("AMDK8.PMM0", kStoredPmm0);
    rig.Store("AMDK8.PMM1", kStoredPmm1);
    ASSERT_TRUE(rig.Start());
    CK8Northbridge& northbridge = *rig.App().State().northbridge;
    auto* advanced = dynamic_cast<K8Advanced*>(rig.Program().Advanced());
    ASSERT_NE(advanced, nullptr);
    const std::string where = remember ? "remembered" : "not remembered";
    // The firmware of the catalogue machine leaves the registers at 0.
    EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode0), remember ? kStoredPmm0 : 0u) << where;
    EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode1), remember ? kStoredPmm1 : 0u) << where;
    // Both cores of the node now run at a 32nd of their clock in halt.
    for (unsigned k = 0; k < 2; ++k)
      EXPECT_EQ(rig.Pc().ProcessorState(k)->haltedClockDivisor, remember ? 32u : 1u) << where;

    // The firmware puts its own values back (a resume); the applied ones return, and
    // nothing is written where none were applied.
    northbridge.WriteDword(0, k8::kPowerMode1, 0x00000001);
    advanced->Reapply();
    EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode1), remember ? kStoredPmm1 : 0x1u) << where;

    // "Apply": the page's values reach the node, become the applied ones and are kept.
    k8::CpuSetup applied = advanced->ReadHardware();
    applied.modes[7] = {4, true, false, false, false};  // divide by 128 in halt
    k8::RestartValues restart = advanced->StoredRestartValues();
    EXPECT_FALSE(advanced->Apply(applied, restart, !remember)) << where;
    EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode1) >> 24, 0x41u) << where;
    EXPECT_EQ(rig.Pc().ProcessorState(1)->haltedClockDivisor, 128u) << where;
    const AppSettings& settings = rig.Program().Settings();
    EXPECT_EQ(static_cast<uint32_t>(settings.family.k8.pmm1) >> 24, 0x41u) << where;
    EXPECT_EQ(settings.rememberAdvanced, remember ? 0 : 1) << where;
    EXPECT_TRUE(advanced->RememberAdvanced() != remember) << where;
    northbridge.WriteDword(0, k8::kPowerMode1, 0);
    advanced->Reapply();
    EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode1) >> 24, 0x41u) << where;

    // A value that takes effect at the next start asks for the restart.
    restart.fidDelayUs += 10;
    EXPECT_TRUE(advanced->Apply(applied, restart, remember)) << where;
    EXPECT_EQ(rig.Program().Settings().family.k7k8.fidDelayUs, restart.fidDelayUs) << where;
  }
}

}  // namespace
}  // namespace pacetta::testing
