#include <gtest/gtest.h>

#include <future>

#include "app/advanced/transmeta_advanced_settings.h"
#include "cpu/advanced/longrun/longrun_atm.h"
#include "cpu/advanced/longrun/longrun_control.h"
#include "tests/advanced_transmeta/transmeta_rig.h"
#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

constexpr LongRunColumn kAc{10, 90, true, 0};
constexpr LongRunColumn kBattery{0, 40, false, 3};

// What processor 0's registers and the northbridge hold now, as a column.
LongRunColumn Hardware(TransmetaRig& rig) {
  return rig.Transmeta()->ReadHardware().value_or(LongRunColumn{-1, -1, false, -1});
}

size_t BoundsWrites(const TransmetaRig& rig) {
  return rig.Traced("msr-write", "0x80868010").size();
}

// A lower bound above its upper is lowered to it, in the registers and in what is kept;
// only the present source's column reaches the hardware.
TEST(TransmetaSettings, ApplyWritesThePresentColumnWithOrderedBounds) {
  struct Case {
    bool onBattery;
    LongRunValues edited;
    LongRunColumn written;
    TransmetaSettings stored;
  };
  const Case cases[] = {
      {false, {{80, 50, true, 2}, kBattery}, {50, 50, true, 2}, {50, 0, 50, 40, 1, 0, 2, 3}},
      {true, {kAc, {70, 20, false, 6}}, {20, 20, false, 6}, {10, 20, 90, 20, 1, 0, 0, 6}},
      {true, {kAc, kBattery}, kBattery, {10, 0, 90, 40, 1, 0, 0, 3}},
  };
  for (const Case& c : cases) {
    TransmetaRig rig;
    if (c.onBattery) {
      ASSERT_TRUE(rig.Pc().UnplugAc());
    }
    ASSERT_EQ(rig.Transmeta()->OnBattery(), c.onBattery);
    rig.Transmeta()->Apply(c.edited, false);
    EXPECT_EQ(Hardware(rig), c.written);
    EXPECT_EQ(rig.Settings().family.transmeta, c.stored);
    EXPECT_EQ(rig.Settings().rememberAdvanced, 0);
    EXPECT_TRUE(rig.Pc().Violations().empty());
    // The mode went out with a zero high half.
    const auto modes = rig.Traced("msr-write", "0x80868011");
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_EQ(modes[0].value, c.written.performance ? 1u : 0u);
  }
}

// Only applied values are written again; with "Apply these settings at startup" the
// battery column goes out as soon as the machine runs on batteries, and without it a
// change of power source writes nothing.
TEST(TransmetaSettings, ReapplyFollowsThePowerSourceOnlyWhenRemembered) {
  for (const bool remember : {true, false}) {
    TransmetaRig rig;
    rig.Transmeta()->Reapply();
    EXPECT_EQ(BoundsWrites(rig), 0u) << remember;

    rig.Transmeta()->Apply({kAc, kBattery}, remember);
    EXPECT_EQ(Hardware(rig), kAc);
    ASSERT_TRUE(rig.Pc().UnplugAc());
    rig.Transmeta()->Reapply();
    EXPECT_EQ(Hardware(rig), remember ? kBattery : kAc) << remember;
    EXPECT_EQ(BoundsWrites(rig), remember ? 2u : 1u) << remember;

    ASSERT_TRUE(rig.Pc().PlugAc());
    rig.Transmeta()->Reapply();
    EXPECT_EQ(Hardware(rig), kAc) << remember;
  }
}

// At start with "RememberAdvanced" the stored values are applied at once, bounds ordered.
TEST(TransmetaSettings, ApplyStoredWritesTheStoredColumn) {
  TransmetaRig rig;
  ASSERT_TRUE(rig.Pc().UnplugAc());
  rig.Settings().rememberAdvanced = 1;
  rig.Settings().family.transmeta = {0, 60, 100, 30, 1, 0, 0, 5};
  rig.Transmeta()->ApplyStored();
  EXPECT_EQ(Hardware(rig), (LongRunColumn{30, 30, false, 5}));
  EXPECT_EQ(rig.Transmeta()->StoredValues().battery, (LongRunColumn{60, 30, false, 5}));
}

// The running program: with "Apply these settings at startup" the stored AC column goes
// out at start and the battery column as soon as the machine runs on batteries; without
// it the part keeps its power-on values through both.
TEST(TransmetaSettings, RunningProgramFollowsThePowerSourceWhenRemembered) {
  using namespace std::chrono_literals;
  const LongRunColumn powerOn{0, 100, true, 0};
  for (const bool remember : {true, false}) {
    SCOPED_TRACE(remember);
    ProgramRig rig("transmeta");
    rig.StampProcessor();
    rig.Store("RememberAdvanced", remember ? 1 : 0);
    rig.Store("Transmeta.MinBoundAC", 20);
    rig.Store("Transmeta.MaxBoundDC", 40);
    rig.Store("Transmeta.PerfModeDC", 0);
    rig.Store("Transmeta.ATMModeDC", 3);
    ASSERT_TRUE(rig.Start());
    auto* transmeta = dynamic_cast<TransmetaAdvanced*>(rig.Program().Advanced());
    ASSERT_NE(transmeta, nullptr);
    const LongRunColumn started = remember ? LongRunColumn{20, 100, true, 0} : powerOn;
    EXPECT_EQ(transmeta->ReadHardware(), started);
    // The loop's posted work runs on this thread while the notice is delivered.
    auto unplugged = std::async(std::launch::async, [&] {
      rig.Pc().UnplugAc();
      rig.Pc().PowerSupply().WaitDelivered(30s);
    });
    while (unplugged.wait_for(5ms) != std::future_status::ready) rig.Window().ProcessPending();
    rig.Window().ProcessPending();
    EXPECT_EQ(transmeta->ReadHardware(), remember ? kBattery : powerOn);
    EXPECT_TRUE(rig.Pc().Violations().empty());
  }
}

}  // namespace
}  // namespace pacetta::testing
