#include <gtest/gtest.h>

#include "app/advanced/k7_advanced_settings.h"
#include "tests/advanced_k7/k7_rig.h"
#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

// The register's writes from number `from` on all hold `clock` over the part's power-on
// value, one per processor.
void ExpectWritten(const K7Rig& rig, size_t from, const k7::ClockControl& clock) {
  const auto writes = rig.ClockWrites();
  ASSERT_EQ(writes.size(), from + 2);
  for (size_t n = from; n < writes.size(); ++n) {
    EXPECT_EQ(writes[n].cpu, n - from);
    EXPECT_EQ(writes[n].value, k7::EncodeClockControl(0x20031223, clock))
        << std::hex << writes[n].value;
  }
}

// Nothing is written again before anything was applied; the stored values, once taken,
// are written again after a power-source change or a resume over what the firmware put
// back, and so are the page's values once applied. The settings keep what was applied.
TEST(K7AppliedValues, OnlyAppliedValuesAreWrittenAgain) {
  TempFolder files;
  K7Rig rig(TwoDesktopAthlons(files));
  rig.K7().Reapply();
  EXPECT_TRUE(rig.ClockWrites().empty());

  // "AMDK7.RampDelays" holds ramp delay n in bits 4n+1:4n.
  rig.Settings().family.k7 = {.haltDivisor = 2,
                              .stopGrantDivisor = 4,
                              .fullRamp = 300,
                              .rampDelays = 0x10203,
                              .apicDisconnect = 1};
  const k7::ClockControl stored{{3, 0, 2, 0, 1}, 2, 4, true, 300};
  rig.K7().ApplyStored();
  ExpectWritten(rig, 0, stored);

  k7::ClockControl firmware = stored;
  firmware.haltDivisor = 0;
  k7::WriteClockControl(rig.Driver(), rig.Pc().View().processors, rig.Records(), firmware);
  rig.K7().Reapply();
  ExpectWritten(rig, 4, stored);

  k7::ClockControl applied = stored;
  applied.fullRamp = 4000;
  applied.rampDelays[4] = 3;
  rig.K7().Apply(applied, rig.K7().StoredRestartValues(), true);
  EXPECT_EQ(rig.Settings().family.k7.fullRamp, 4000);
  EXPECT_EQ(rig.Settings().family.k7.rampDelays, 0x30203);
  EXPECT_EQ(rig.Settings().rememberAdvanced, 1);
  rig.K7().Reapply();
  ExpectWritten(rig, 8, applied);
  EXPECT_TRUE(rig.Pc().Violations().empty());
}

// The restart-required values change only the settings and, for the VID table, the
// records once the program ends; Apply tells whether any of them changed.
TEST(K7AppliedValues, RestartValuesAreKeptForTheNextStart) {
  K7Rig rig("k7-mobile-laptop");
  const k7::ClockControl clock = *rig.K7().ReadHardware();
  K7RestartValues restart = rig.K7().StoredRestartValues();
  EXPECT_FALSE(rig.K7().Apply(clock, restart, false));
  restart.fidDelayUs = 40;
  restart.desktopVids = true;
  EXPECT_TRUE(rig.K7().Apply(clock, restart, false));
  EXPECT_EQ(rig.Settings().family.k7k8.fidDelayUs, 40);
  EXPECT_EQ(rig.K7().StoredRestartValues(), restart);
  // The running transitions keep their VID order until the end.
  EXPECT_EQ(rig.Records().front().switches.amdK7DesktopVids, 0);
  rig.K7().KeepForNextStart();
  EXPECT_EQ(rig.Records().front().switches.amdK7DesktopVids, 1);
  EXPECT_FALSE(rig.K7().Apply(clock, restart, false));
}

// The running program writes the stored values at start only with "RememberAdvanced".
TEST(K7AppliedValues, StoredValuesReachTheHardwareOnlyWhenRemembered) {
  for (const auto& [remember, haltedDivisor] : {std::pair{0u, 8u}, std::pair{1u, 256u}}) {
    SCOPED_TRACE(remember);
    ProgramRig rig("k7-mobile-laptop");
    rig.StampProcessor();
    rig.Store("RememberAdvanced", remember);
    rig.Store("AMDK7.HaltDivisor", 5);
    rig.Store("AMDK7.RampDelays", 0x32123);
    rig.Store("AMDK7.FullRamp", 0x200);
    ASSERT_TRUE(rig.Start());
    const auto state = rig.Pc().ProcessorState(0);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->haltedClockDivisor, haltedDivisor);
    EXPECT_TRUE(rig.Pc().Violations().empty());
  }
}

}  // namespace
}  // namespace pacetta::testing
