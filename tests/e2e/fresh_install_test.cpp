#include <gtest/gtest.h>

#include "tests/e2e/lifecycle_run.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

std::function<bool(const StatusLine&)> OnDemandShowing(const std::string& multiplier) {
  return [=](const StatusLine& line) {
    return line.profile == "Performance on demand" &&
           (multiplier.empty() || line.multiplier == multiplier);
  };
}

// A person installs the program, starts it and asks a second start for "Performance on
// demand", without ever opening a page: the processors follow the load at once.
TEST(FreshInstall, PerformanceOnDemandFollowsTheLoadWithNoPageEverOpened) {
  LifecycleRun run;  // its own settings folder, empty
  // The default machine's Turion 64 X2 TL-56 runs 800 MHz (4.0x) to 1.8 GHz (9.0x).
  auto program = run.Start({"--sim-load=script:full@3s,idle@3s"});
  ASSERT_TRUE(WaitForStatus(
      *program, [](const StatusLine&) { return true; }, 60s))
      << program->Output() << program->Errors();

  ASSERT_EQ(run.Command({"-profile", "3"}).exitCode, 0);
  const auto selected = WaitForStatus(*program, OnDemandShowing(""), 60s);
  ASSERT_TRUE(selected) << program->Output();
  const auto fastest = WaitForStatus(*program, OnDemandShowing("9.0x"), 60s, selected->end);
  ASSERT_TRUE(fastest) << program->Output();
  const auto slowest = WaitForStatus(*program, OnDemandShowing("4.0x"), 60s, fastest->end);
  EXPECT_TRUE(slowest) << program->Output();

  EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  EXPECT_EQ(program->WaitForExit(60s), 0) << program->Errors();
}

}  // namespace
}  // namespace pacetta::testing
