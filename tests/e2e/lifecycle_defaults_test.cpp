// Whether the orderly end put the processors back cannot be seen from outside: the
// simulated registers live only as long as the process that simulates them. So here the
// whole program runs in this process, on a simulated PC whose true state the test reads
// after the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/lifecycle/program_flow.h"
#include "engine/profiles/profile.h"
#include "platform/sim/simulated_pc.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

TEST(LifecycleDefaults, TheOrderlyEndPutsTheProcessorsBackOnlyWhenAsked) {
  for (int32_t defaultsOnExit : {1, 0}) {
    SCOPED_TRACE("DefaultsOnExit " + std::to_string(defaultsOnExit));
    TempFolder runtime, config, logs, state;
    ScopedEnv runtimeDir("PACETTA_RUNTIME_DIR", runtime.Path());
    SeedValues values;
    values.profileAc = values.profileDc = kPowerSavingProfile;
    values.defaultsOnExit = defaultsOnExit;
    const SeededMachine machine = SeedSettings(config.Path(), values);

    sim::SimulationOptions options;
    options.settingsPath = machine.settingsPath;
    options.stateFolder = state.File("state");
    std::string error;
    auto pc = sim::SimulatedPc::Create(options, error);
    ASSERT_TRUE(pc) << error;
    std::vector<sim::OperatingPoint> powerOn;
    for (unsigned k = 0; pc->ProcessorState(k); ++k)
      powerOn.push_back(pc->ProcessorState(k)->current);
    ASSERT_GE(powerOn.size(), 2u);
    const uint32_t slowest = machine.fids.front();
    ASSERT_NE(powerOn[0].fid, slowest) << "the change would not show";
    const auto allAt = [&](uint32_t fid) {
      for (unsigned k = 0; k < powerOn.size(); ++k) {
        const auto now = pc->ProcessorState(k);
        if (!now || now->transitionPending || now->current.fid != fid) return false;
      }
      return true;
    };

    std::unique_ptr<std::FILE, FileCloser> sink(std::fopen("/dev/null", "w"));
    ASSERT_TRUE(sink);
    ConsoleFrontEnd frontEnd(sink.get());
    ConsoleMessageBoxes boxes(std::nullopt, sink.get(), sink.get());
    int exitCode = -1;
    std::thread program([&] {
      exitCode = RunProgramFlow(
          pc->View(), boxes, frontEnd, {}, {},
          [&frontEnd](MainWindow& window) { frontEnd.Run(window); },
          LifecycleOptions{logs.Path(), {}});
    });
    const bool managed = WaitUntil([&] { return allAt(slowest); }, 60s);
    frontEnd.RequestClose();
    program.join();
    ASSERT_TRUE(managed) << "power saving never took effect";
    EXPECT_EQ(exitCode, 0);

    for (unsigned k = 0; k < powerOn.size(); ++k) {
      const auto end = pc->ProcessorState(k);
      ASSERT_TRUE(end);
      EXPECT_FALSE(end->transitionPending) << "processor " << k;
      if (defaultsOnExit != 0) {
        // "DefaultsMode" 1: the state found at start-up.
        EXPECT_EQ(end->current, powerOn[k]) << "processor " << k;
      } else {
        EXPECT_EQ(end->current.fid, slowest) << "processor " << k;
      }
    }
    EXPECT_EQ(pc->Violations().size(), 0u);
  }
}

}  // namespace
}  // namespace pacetta::testing
