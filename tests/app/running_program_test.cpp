#include "app/lifecycle/running_program.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/settings/cpuid_stamp.h"
#include "app/startup/startup.h"
#include "app/window_messages.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/sensors/temperature.h"
#include "engine/profiles/pstates_data.h"
#include "hw/pinning.h"
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
    Configure(options);
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    ASSERT_TRUE(pc_) << error;
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    application_ =
        std::make_unique<Application>(pc_->View(), boxes_, *driver_, std::vector<std::string>{});
    int code = 0;
    ASSERT_EQ(application_->Start(Command{}, code), StartupOutcome::kRun);
  }

  // A test's own machine, load or heat.
  virtual void Configure(sim::SimulationOptions&) {}

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

  void StoreBytes(const std::string& name, const std::vector<uint8_t>& value) {
    auto key = pc_->View().registry.OpenUserKey(kSettingsKeyPath, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteBinary(name, value));
    ASSERT_TRUE(key->Flush());
  }

  // Runs the program's initialisation, then `during` on the loop's side, then closes it
  // in order; returns the console output.
  std::string RunProgram(const std::function<void(RunningProgram&, MainWindow&)>& during = {}) {
    ConsoleFrontEnd frontEnd(out_.get());
    MainWindow window(frontEnd);
    EXPECT_TRUE(window.Publish(pc_->View().windows, "Tarvello"));
    RunningProgram program(*application_, window, frontEnd, {folder_.Path(), {}});
    if (!program.Initialise()) {
      ADD_FAILURE() << "the program did not initialise";
      return {};
    }
    window.Attach(&program);
    if (during) during(program, window);
    window.OnPosted({platform::kWmClose, 0, 0});
    auto loop = std::async(std::launch::async, [&] { frontEnd.Run(window); });
    EXPECT_EQ(loop.wait_for(60s), std::future_status::ready) << "the shutdown hangs";
    window.Attach(nullptr);
    return out_.Text();
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
  RunningProgram program(*application_, window, frontEnd, {folder_.Path(), {}});
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
  // The events module beside the program evaluates its events right at the suspend and
  // after the resume: that evaluation reads, and so clears, each power-event mark first.
  ASSERT_TRUE(application_->Addins().Available(AddinId::kVireon));
  const std::vector<int64_t> expected{1, 2, 0, 2, kPowerEventNone, kPowerEventNone, kPowerEventNone,
                                      0, 1, 3};
  EXPECT_EQ(answers, expected);
  window.Attach(nullptr);

  const std::string output = out_.Text();
  EXPECT_NE(output.find("| AC power | No management\n"), std::string::npos) << output;
  // On battery the source is followed by the battery's charge and remaining time.
  EXPECT_NE(output.find("| Battery, High (100%), 5 hr, 6 min, 40 sec | Maximal performance\n"),
            std::string::npos)
      << output;
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
  RunningProgram program(*application_, window, frontEnd, {folder_.Path(), {}});
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

// A Core 2 that overheated under load and cooled down again before the program started.
class RunningProgramAfterHeat : public RunningProgramTest {
 protected:
  void Configure(sim::SimulationOptions& options) override {
    options.machine = "core2-duo-laptop";
    options.load = "script:full@2s,idle";
    options.thermal = "ambient=60,rise=80,tau=0.5";
  }
  // Waits, a bounded time, until processor 0's thermal status (IA32_THERM_STATUS) shows
  // the event logged and the heat over: bit 1 set, bit 0 clear.
  bool WaitForStaleEvent() {
    PinToProcessor(pc_->View().processors, 0);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    bool stale = false;
    while (!stale && std::chrono::steady_clock::now() < deadline) {
      MsrRequest status;
      stale = driver_->ReadMsrValue(status, 0x19C) && (status.low & 3u) == 2u;
      if (!stale) std::this_thread::sleep_for(10ms);
    }
    UnpinThread(pc_->View().processors);
    return stale;
  }
};

// The thermal event logged before the start is acknowledged at load: the first refresh
// raises no overheat alert for heat that is over.
TEST_F(RunningProgramAfterHeat, AStaleThermalEventRaisesNoAlert) {
  ASSERT_TRUE(WaitForStaleEvent()) << "the model never overheated and cooled";
  const std::string output = RunProgram();
  EXPECT_EQ(output.find("CPU core overheat detected"), std::string::npos) << output;
  EXPECT_NE(output.find("CPU 0: "), std::string::npos) << output;
}

// The K8 transition method chooses the FID table at load: with 100 MHz steps (bit 4) the
// candidate states offer odd FIDs, and stored rows that use them stay enabled.
TEST_F(RunningProgramTest, TheK8MethodChoosesTheFidTableBeforeTheStoredStatesAreChecked) {
  constexpr uint32_t kFineSteps = 0x10;
  CpuInfo fine = application_->Processors().front();
  ApplyK8FidTable(fine, kFineSteps);
  PStateTable table = BuildTableFromProcessor(fine);
  std::optional<uint32_t> oddFid;
  for (int32_t row = 0; row <= table.lastIndex; ++row) {
    PState& state = table.rows[static_cast<size_t>(row)];
    if (state.fid % 2 == 1) {
      state.enabled = 1;
      oddFid = state.fid;
    }
  }
  ASSERT_TRUE(oddFid) << "the machine offers no odd FID with fine steps";
  Store("AMDK8.PSTMethod", kFineSteps);
  StoreBytes("CPUID", BuildCpuidStamp(application_->Processors().front()));
  StoreBytes("PStatesData", PackPStatesData(table));

  RunProgram([&](RunningProgram& program, MainWindow&) {
    for (const CpuInfo& record : application_->Processors()) {
      EXPECT_TRUE(k8::IsFineTable(record.k8FidTable)) << record.index;
    }
    const PStateTable& loaded = program.Settings().profiles.Table();
    bool kept = false;
    for (int32_t row = 0; row <= loaded.lastIndex; ++row) {
      const PState& state = loaded.rows[static_cast<size_t>(row)];
      kept = kept || (state.fid == *oddFid && state.enabled != 0);
    }
    EXPECT_TRUE(kept) << "the stored row with FID " << *oddFid << " was disabled at load";
  });
}

// The idle helper is a native program on Linux: a stored "RunHltOnIdle" stays on.
TEST_F(RunningProgramTest, TheIdleHelperSettingSurvivesTheLoad) {
  Store("RunHltOnIdle", 1);
  RunProgram([](RunningProgram& program, MainWindow&) {
    EXPECT_EQ(program.Settings().management.runHltOnIdle, 1);
  });
}

// A status line printed between refreshes (here after a profile change) shows the
// values of the processor it names.
TEST_F(RunningProgramTest, AStatusLineOutsideARefreshNamesTheProcessorItShows) {
  const std::string output = RunProgram([](RunningProgram&, MainWindow& window) {
    window.OnPosted({kMsgSetProfile, 1, kProfileSlotBoth});
  });
  const size_t changed = output.find("| Power saving\n");
  ASSERT_NE(changed, std::string::npos) << output;
  const size_t start = output.rfind('\n', changed) + 1;
  EXPECT_EQ(output.compare(start, 7, "CPU 0: "), 0) << output;
}

}  // namespace
}  // namespace pacetta
