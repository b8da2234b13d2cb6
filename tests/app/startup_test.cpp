#include "app/startup/startup.h"

#include <gtest/gtest.h>

#include "app/strings/string_ids.h"
#include "platform/linux/lock_file_events.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

struct ShownBox {
  std::string text;
  std::string caption;
  MessageIcon icon;
  MessageButtons buttons;
};

// Records every message box and answers from a script (then Cancel).
class RecordingBoxes final : public platform::MessageBoxes {
 public:
  std::vector<ShownBox> shown;
  std::vector<MessageAnswer> answers;
  MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                     MessageButtons buttons) override {
    shown.push_back({text, caption, icon, buttons});
    if (answers.empty())
      return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kCancel;
    const MessageAnswer answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
};

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : env_("PACETTA_RUNTIME_DIR", runtime_.Path()) {}

  StartupResult Start(sim::SimulationOptions options, const Command& command = {}) {
    options.stateFolder = runtime_.File("state");
    options.settingsPath = runtime_.File("settings.json");
    std::string error;
    driver_.reset();  // the driver talks to the machine it was made for
    pc_ = sim::SimulatedPc::Create(options, error);
    EXPECT_TRUE(pc_) << error;
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    StartupServices services{pc_->View(), boxes_, strings_, *driver_};
    return RunStartup(services, command);
  }

  testing::TempFolder runtime_;
  testing::ScopedEnv env_;
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;  // destroyed first
  RecordingBoxes boxes_;
  StringTable strings_;
};

TEST_F(StartupTest, FailuresShowOneErrorBoxAndEnd) {
  sim::SimulationOptions oldSystem;
  oldSystem.os = "4.10-9x";
  sim::SimulationOptions restricted;
  restricted.affinity = 0x2;
  struct Case {
    sim::SimulationOptions options;
    uint32_t text;
  } cases[] = {
      {oldSystem, kStrOsTooOld},
      {restricted, kStrProcessorsUnavailable},
  };
  for (const Case& c : cases) {
    boxes_.shown.clear();
    const StartupResult result = Start(c.options);
    EXPECT_EQ(result.outcome, StartupOutcome::kExit);
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, strings_.Get(c.text));
    EXPECT_EQ(boxes_.shown[0].caption, "Error");
    EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kError);
    EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::kOk);
  }
}

TEST_F(StartupTest, VersionFiveAndSixPassTheSystemCheckAndAreRecorded) {
  for (const char* os : {"5.0", "6.0"}) {
    boxes_.shown.clear();
    sim::SimulationOptions options;
    options.os = os;
    StartupResult result = Start(options);
    ASSERT_EQ(result.outcome, StartupOutcome::kRun) << os;
    EXPECT_TRUE(result.state.isNt);
    EXPECT_EQ(result.state.isVersion6OrLater, os[0] == '6');
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_TRUE(result.state.runningEvent);
  }
}

TEST_F(StartupTest, TheDriverMessageNamesTheDriverOfTheSystemsWordSize) {
  sim::SimulationOptions options;
  options.faults = "no-driver-file";
  options.system32 = true;
  Start(options);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text.rfind("Cannot install or load Portex32 driver.", 0), 0u);
}

// Without the driver the older families cannot be measured at all; today's processors
// run on what the kernel offers, and no profile may steer them.
TEST_F(StartupTest, WithoutTheDriverOnlyTodaysProcessorsStart) {
  for (const std::string machine : {"k8-x2-laptop", "zen-laptop"}) {
    boxes_.shown.clear();
    sim::SimulationOptions options;
    options.machine = machine;
    options.faults = "no-driver-file";
    StartupResult result = Start(options);
    const bool todays = machine == "zen-laptop";
    EXPECT_EQ(result.outcome, todays ? StartupOutcome::kRun : StartupOutcome::kExit) << machine;
    EXPECT_EQ(boxes_.shown.size(), todays ? 0u : 1u) << machine;
    EXPECT_EQ(result.state.withoutDriver, todays) << machine;
    for (const CpuInfo& cpu : result.state.processors) {
      EXPECT_EQ(cpu.kernelPolicy, -1) << machine;
      EXPECT_EQ(cpu.candidateCount, 0u) << machine;
    }
  }
}

TEST_F(StartupTest, AnotherDriverVersionAsksWithYesNoCancel) {
  sim::SimulationOptions options;
  options.faults = "version=2.5";
  boxes_.answers = {MessageAnswer::kNo};
  StartupResult result = Start(options);
  EXPECT_EQ(result.outcome, StartupOutcome::kRun);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Warning");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::kYesNoCancel);
  EXPECT_NE(boxes_.shown[0].text.find("use Portex64 driver v1.5.\nDifferent version of Portex64"),
            std::string::npos);
}

TEST_F(StartupTest, HelpAndUnloadAnswerInTheProductsCaption) {
  Start({}, {CommandKind::kHelp});
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Tarvello");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kInformation);
  boxes_.shown.clear();
  Start({}, {CommandKind::kUnload});  // nothing installed: removal fails
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, "Tarvello");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kError);
}

TEST_F(StartupTest, ProcessorRecordsCarryTopologySwitchesAndTemperatureOffsets) {
  {
    // Settings of an earlier run: two offset bytes for a two-processor machine plus an
    // out-of-range Core 2 type.
    sim::SimulationOptions options;
    options.settingsPath = runtime_.File("settings.json");
    std::string error;
    auto pc = sim::SimulatedPc::Create(options, error);
    auto key = pc->View().registry.OpenUserKey(kSettingsKeyPath, true);
    key->WriteBinary("CpuTempOffset", {0x03});
    key->WriteDword("IntelCore2.CpuType", 2);
    key->WriteDword("Use8254", 1);
  }
  sim::SimulationOptions options;
  options.machine = "pentium4-ht";
  StartupResult result = Start(options);
  ASSERT_EQ(result.outcome, StartupOutcome::kRun);
  ASSERT_EQ(result.state.processors.size(), 2u);
  for (const CpuInfo& cpu : result.state.processors) {
    EXPECT_EQ(cpu.packageId, 0u);
    EXPECT_EQ(cpu.tempOffset, 3) << "the last stored byte serves later processors";
    EXPECT_EQ(cpu.switches.intelCore2CpuType, -1);
    EXPECT_EQ(cpu.switches.use8254, 1);
    EXPECT_EQ(cpu.isPentium4, 1u);
  }
  EXPECT_EQ(result.state.processors[1].isSecondary, 1u);
  EXPECT_EQ(result.state.processors[1].partnerIndex, 0);
  // Start-up leaves the thread free to run anywhere.
  EXPECT_EQ(pc_->View().processors.CurrentProcessor(), 0u);
}

TEST_F(StartupTest, RecordsAreIdentifiedWithTheirLimitsOnEitherWordSize) {
  for (bool system32 : {false, true}) {
    sim::SimulationOptions options;
    options.system32 = system32;
    StartupResult result = Start(options);
    ASSERT_EQ(result.outcome, StartupOutcome::kRun);
    EXPECT_EQ(result.state.is64BitSystem, !system32);
    EXPECT_EQ(driver_->GetServiceName(), system32 ? "Portex32" : "Portex64");
    for (const CpuInfo& cpu : result.state.processors) {
      EXPECT_EQ(cpu.isK8, 1u);
      EXPECT_EQ(cpu.maxFid, 10) << "the Turion's 9x, read from its status register";
      EXPECT_GT(cpu.candidateCount, 1u);
    }
  }
}

TEST_F(StartupTest, ASecondInstanceWithoutAWindowReportsTheRunningOne) {
  linux_os::LockFileEvents events;
  bool existed = false;
  auto held = events.Create(kRunningEventName, existed);
  ASSERT_FALSE(existed);
  const StartupResult result = Start({});
  EXPECT_EQ(result.outcome, StartupOutcome::kExit);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, strings_.Get(kStrAlreadyRunning));
}

}  // namespace
}  // namespace pacetta
