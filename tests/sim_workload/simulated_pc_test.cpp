// The workload as the program meets it through a whole simulated PC: the processor
// instructions, the driver's registers and the operating system's times agree.
#include "platform/sim/simulated_pc.h"

#include <gtest/gtest.h>

#include "tests/test_support/temp_folder.h"
#include "workload_rig.h"

namespace pacetta::sim::testing {
namespace {

class Machine {
 public:
  Machine(const std::string& name, const std::string& load, std::string* error = nullptr) {
    SimulationOptions options;
    options.machine = name;
    options.stateFolder = folder_.File("state");
    options.settingsPath = folder_.File("settings.json");
    options.load = load;
    options.clock = clock_;
    std::string message;
    pc_ = SimulatedPc::Create(options, message);
    if (error != nullptr) *error = message;
  }
  SimulatedPc* operator->() { return pc_.get(); }
  explicit operator bool() const { return pc_ != nullptr; }
  ManualClock& Clock() { return *clock_; }

 private:
  pacetta::testing::TempFolder folder_;
  std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
  std::unique_ptr<SimulatedPc> pc_;
};

TEST(SimulatedPcWorkload, InstructionsTimesAndTruthComeFromOneModel) {
  Machine pc("k8-x2-laptop", "script:busy=25;idle");
  ASSERT_TRUE(pc);
  auto& platform = pc->View();
  ASSERT_TRUE(platform.processors.SetThreadAffinity(1));
  const uint64_t tsc = platform.cpu.ReadTimeStampCounter();
  int64_t counter = 0, frequency = 0;
  ASSERT_EQ(platform.entryPoints.QueryPerformanceCounter(counter, frequency), 0);
  pc.Clock().Advance(kSecond);
  int64_t counterAfter = 0;
  ASSERT_EQ(platform.entryPoints.QueryPerformanceCounter(counterAfter, frequency), 0);
  // The high-resolution counter and the time-stamp counter share the machine's clock.
  EXPECT_EQ(counterAfter - counter, frequency);
  const auto truth = pc->Activity(0);
  ASSERT_TRUE(truth);
  EXPECT_NEAR(static_cast<double>(platform.cpu.ReadTimeStampCounter() - tsc), truth->coreMhz * 1e6,
              2);
  EXPECT_DOUBLE_EQ(truth->busy, 0.25);

  // A spin of the program's busy loop on processor 1 counts as its load.
  ASSERT_TRUE(platform.processors.SetThreadAffinity(2));
  platform.cpu.SpinDelay(50'000);
  platform::ProcessorTimes times[2];
  ASSERT_EQ(platform.entryPoints.QueryProcessorTimes(times), 0);
  EXPECT_GT(times[1].user, 0);
  EXPECT_NEAR(static_cast<double>(times[0].kernel + times[0].user - times[0].idle) /
                  (times[0].kernel + times[0].user),
              0.25, 1e-3);
  ASSERT_TRUE(platform.processors.SetThreadAffinity(1));
  EXPECT_FALSE(pc->Activity(2));
}

TEST(SimulatedPcWorkload, ABadLoadOptionIsRefused) {
  std::string error;
  Machine pc("k8-desktop", "script:warp@1s", &error);
  EXPECT_FALSE(pc);
  EXPECT_NE(error.find("warp"), std::string::npos);
}

}  // namespace
}  // namespace pacetta::sim::testing
