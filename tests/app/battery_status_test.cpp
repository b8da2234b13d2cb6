// The battery monitor in the running program: the console's status line on battery.
#include <gtest/gtest.h>

#include <future>
#include <regex>

#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// Runs `action` on another thread while this one, the loop's, serves what it posts.
void ServeWhile(ProgramRig& rig, const std::function<void()>& action) {
  auto done = std::async(std::launch::async, action);
  while (done.wait_for(5ms) != std::future_status::ready) rig.Window().ProcessPending();
  rig.Window().ProcessPending();
}

// On AC power the line names the source alone; on battery it adds the charge and the
// remaining time as the battery's tooltip words them.
TEST(BatteryStatus, OnBatteryTheStatusLineShowsTheChargeAndTheTimeLeft) {
  ProgramRig rig("core2-duo-laptop");
  ASSERT_TRUE(rig.Start());
  rig.Window().OnRefreshTimer();
  EXPECT_NE(rig.Output().find("| AC power | "), std::string::npos) << rig.Output();

  ServeWhile(rig, [&] {
    ASSERT_TRUE(rig.Pc().PowerSupply().SetBatteryPercent(50));
    ASSERT_TRUE(rig.Pc().UnplugAc());
    ASSERT_TRUE(rig.Pc().PowerSupply().WaitDelivered(30s));
  });
  rig.Window().OnRefreshTimer();
  // Half of 46000 mWh at 9 to 27 W lasts between 51 minutes and 2 hr 34 min.
  const std::regex battery(R"(\| Battery, Medium \(50%\), (\d hr, )?\d+ min, \d+ sec \| )");
  EXPECT_TRUE(std::regex_search(rig.Output(), battery)) << rig.Output();
  ASSERT_NE(rig.Program().Battery(), nullptr);
  const BatteryIconNow icon = rig.Program().Battery()->Icon();
  EXPECT_EQ(icon.decision.action, battery::BatteryIconAction::kShow);
  EXPECT_EQ(icon.decision.tooltip, "Power source: Battery\nPower remaining: Medium (50%)");
  EXPECT_TRUE(rig.Close());
}

}  // namespace
}  // namespace pacetta::testing
