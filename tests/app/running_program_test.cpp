#include "app/lifecycle/running_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/startup/startup.h"
#include "app/window_messages.h"
#include "cpu/sensors/temperature.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/captured_output.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;

// The program's start-up on a simulated machine, up to where the main window begins:
// what RunProgramFlow does before the running program takes over.
class RunningProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PACETTA_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    sim::SimulationOptions options;
    options.machine = "k8-x2-laptop";
    options.stateFolder = folder_.Path() + "/state";
    options.settingsPath = folder_.Path() + "/settings.json";
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    ASSERT_TRUE(pc_) << error;
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    application_ =
        std::make_unique<Application>(pc_->View(), boxes_, *driver_, std::vector<std::string>{});
    int code = 0;
    ASSERT_EQ(application_->Start(Command{}, code), StartupOutcome::kRun);
  }

  void TearDown() override {
    if (application_) application_->Exit(false);
    application_.reset();
    driver_.reset();  // before the machine it talks to
    unsetenv("PACETTA_RUNTIME_DIR");
  }

  // A value the settings load reads, written as a user would into the settings.
  void Store(const std::string& name, uint32_t value) {
    auto key = pc_->View().registry.OpenUserKey(kSettingsKeyPath, true);
    ASSERT_TRUE(key);
    // The general values are read only from settings this version wrote.
    ASSERT_TRUE(key->WriteDword("ProgramVersion", kProgramVersion));
    ASSERT_TRUE(key->WriteDword(name, value));
    ASSERT_TRUE(key->Flush());
  }

  std::optional<uint32_t> Stored(const std::string& name) {
    auto key = pc_->View().registry.OpenUserKey(kSettingsKeyPath, false);
    return key ? key->ReadDword(name) : std::nullopt;
  }

  TempFolder runtime_, folder_;
  testing::Capture out_;
  ConsoleMessageBoxes boxes_{std::nullopt};
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;
  std::unique_ptr<Application> application_;
};

TEST_F(RunningProgramTest, RequestsAndPowerNoticesAreServedOnTheLoopUntilAnOrderlyClose) {
  ConsoleFrontEnd frontEnd(out_.get());
  MainWindow window(frontEnd);
  ASSERT_TRUE(window.Publish(pc_->View().windows, "Tarvello"));
  RunningProgram program(*application_, window, frontEnd, {folder_.Path()});
  ASSERT_TRUE(program.Initialise());
  window.Attach(&program);

  // A sent request is answered only once everything posted before it was acted on.
  auto driverThread = std::async(std::launch::async, [&] {
    std::vector<int64_t> answers;
    answers.push_back(window.OnSent({kMsgPowerSource, 0, 0}));
    window.OnPosted({kMsgSetProfile, 2, kProfileSlotBattery});
    answers.push_back(window.OnSent({kMsgGetProfile, 1, 0}));
    pc_->UnplugAc();
    pc_->PowerSupply().WaitDelivered(30s);
    answers.push_back(window.OnSent({kMsgPowerSource, 0, 0}));
    answers.push_back(window.OnSent({kMsgGetProfile, 3, 0}));  // the battery one now
    pc_->Suspend();
    pc_->PowerSupply().WaitDelivered(30s);
    answers.push_back(window.OnSent({kMsgPowerEvent, 0, 0}));
    answers.push_back(window.OnSent({kMsgPowerEvent, 0, 0}));  // cleared by the read
    pc_->Resume();
    pc_->PowerSupply().WaitDelivered(30s);
    answers.push_back(window.OnSent({kMsgPowerEvent, 0, 0}));
    answers.push_back(window.OnSent({kMsgSetProfile, 7, kProfileSlotAc}));  // refused
    answers.push_back(window.OnSent({kMsgSetProfile, 3, kProfileSlotAc}));
    answers.push_back(window.OnSent({kMsgGetProfile, 0, 0}));
    window.OnPosted({platform::kWmClose, 0, 0});
    return answers;
  });
  frontEnd.Run(window);
  ASSERT_EQ(driverThread.wait_for(60s), std::future_status::ready);
  const std::vector<int64_t> answers = driverThread.get();
  const std::vector<int64_t> expected{
      1, 2, 0, 2, kPowerEventSuspend, kPowerEventNone, kPowerEventResume, 0, 1, 3};
  EXPECT_EQ(answers, expected);
  window.Attach(nullptr);

  const std::string output = out_.Text();
  EXPECT_NE(output.find("| AC power | No management\n"), std::string::npos) << output;
  EXPECT_NE(output.find("| Battery | Maximal performance\n"), std::string::npos) << output;
  // The orderly close saved the settings.
  EXPECT_EQ(Stored("ProgramVersion"), kProgramVersion);
  EXPECT_TRUE(pc_->Violations().empty());
}

TEST_F(RunningProgramTest, AnExitWithinTheStartDelayLeavesTheProcessorsUntouched) {
  Store("MgmtStartDelay", 3600);
  const auto before0 = pc_->ProcessorState(0);
  const auto before1 = pc_->ProcessorState(1);

  ConsoleFrontEnd frontEnd(out_.get());
  MainWindow window(frontEnd);
  ASSERT_TRUE(window.Publish(pc_->View().windows, "Tarvello"));
  RunningProgram program(*application_, window, frontEnd, {folder_.Path()});
  ASSERT_TRUE(program.Initialise());
  window.Attach(&program);
  window.OnPosted({kMsgSetProfile, 1, kProfileSlotBoth});  // power saving, held back
  window.OnPosted({kMsgShow, 0, 0});                       // a refresh with sampling
  window.OnPosted({platform::kWmClose, 0, 0});
  // The management threads never ran: the shutdown must release them, not wait for them.
  auto loop = std::async(std::launch::async, [&] { frontEnd.Run(window); });
  ASSERT_EQ(loop.wait_for(60s), std::future_status::ready) << "the shutdown hangs";
  window.Attach(nullptr);

  EXPECT_EQ(pc_->ProcessorState(0), before0);
  EXPECT_EQ(pc_->ProcessorState(1), before1);
  const std::string output = out_.Text();
  EXPECT_NE(output.find("| AC power | Power saving\n"), std::string::npos) << output;
  EXPECT_TRUE(pc_->Violations().empty());
}

}  // namespace
}  // namespace pacetta
