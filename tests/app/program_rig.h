#pragma once
// A program started on a simulated machine and initialised as the program's flow does it,
// with a console front end: the test runs on the loop's thread and acts on the running
// program as the desktop's pages do, then closes it in order.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/lifecycle/running_program.h"
#include "app/settings/cpuid_stamp.h"
#include "app/startup/startup.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/captured_output.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

class ProgramRig {
 public:
  // Builds catalogue machine `machine` (or a machine file) doing `load` (`--sim-load`;
  // empty: idle), with the frequency driver `cpufreq` (`--sim-cpufreq`; empty: none), and
  // runs the start-up.
  explicit ProgramRig(const std::string& machine, const std::string& load = {},
                      const std::string& cpufreq = {}) {
    setenv("PACETTA_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    sim::SimulationOptions options;
    options.machine = machine;
    options.load = load;
    options.cpufreq = cpufreq;
    options.stateFolder = folder_.Path() + "/state";
    options.settingsPath = folder_.Path() + "/settings.json";
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    if (!pc_) throw std::runtime_error("the machine was not built: " + error);
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    application_ =
        std::make_unique<Application>(pc_->View(), boxes_, *driver_, std::vector<std::string>{});
    int code = 0;
    if (application_->Start(Command{}, code) != StartupOutcome::kRun)
      throw std::runtime_error("the start-up did not reach the main window");
  }
  ~ProgramRig() {
    Close();
    program_.reset();
    window_.reset();
    application_->Exit(false);
    application_.reset();
    driver_.reset();  // before the machine it talks to
    unsetenv("PACETTA_RUNTIME_DIR");
  }
  ProgramRig(const ProgramRig&) = delete;
  ProgramRig& operator=(const ProgramRig&) = delete;

  // Values the settings load reads, stored before Start as a previous run would have.
  void Store(const std::string& name, uint32_t value) {
    auto key = Key();
    key->WriteDword("ProgramVersion", kProgramVersion);
    key->WriteDword(name, value);
    key->Flush();
  }
  // The processor stamp: the processor-dependent values are read.
  void StampProcessor() {
    Key()->WriteBinary("CPUID", BuildCpuidStamp(application_->Processors().front()));
  }
  void StoreBytes(const std::string& name, const std::vector<uint8_t>& value) {
    auto key = Key();
    key->WriteBinary(name, value);
    key->Flush();
  }
  std::optional<uint32_t> Stored(const std::string& name) {
    auto key = pc_->View().registry.OpenUserKey(kSettingsKeyPath, false);
    return key ? key->ReadDword(name) : std::nullopt;
  }

  // The main window's initialisation; false when it failed.
  bool Start() {
    window_ = std::make_unique<MainWindow>(frontEnd_);
    if (!window_->Publish(pc_->View().windows, "Tarvello")) return false;
    program_ = std::make_unique<RunningProgram>(*application_, *window_, frontEnd_,
                                                LifecycleOptions{folder_.Path(), {}});
    if (!program_->Initialise()) return false;
    window_->Attach(program_.get());
    return true;
  }

  // Closes the program in order through its loop; false when that hangs. The window
  // then tells whether a restart was asked for.
  bool Close() {
    if (!program_ || closed_) return true;
    closed_ = true;
    window_->OnPosted({platform::kWmClose, 0, 0});
    auto loop = std::async(std::launch::async, [this] { frontEnd_.Run(*window_); });
    const bool ended = loop.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    window_->Attach(nullptr);
    return ended;
  }

  // Waits a generous bound until `done` holds.
  static bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  // Processor k runs `fid` at `vid`, as the simulated part itself says.
  bool Runs(unsigned k, uint32_t fid, uint32_t vid) {
    const auto state = pc_->ProcessorState(k);
    return state && !state->transitionPending && state->current.fid == fid &&
           state->current.vid == vid;
  }

  sim::SimulatedPc& Pc() { return *pc_; }
  Application& App() { return *application_; }
  const CpuInfo& Processor0() { return application_->Processors().front(); }
  RunningProgram& Program() { return *program_; }
  MainWindow& Window() { return *window_; }
  std::string Output() { return out_.Text(); }
  // Where the settings file and the monitoring log are kept.
  const std::string& Folder() const { return folder_.Path(); }

 private:
  std::unique_ptr<platform::RegistryKey> Key() {
    auto key = pc_->View().registry.OpenUserKey(kSettingsKeyPath, true);
    if (!key) throw std::runtime_error("the settings key cannot be written");
    return key;
  }

  TempFolder runtime_, folder_;
  Capture out_;
  ConsoleMessageBoxes boxes_{std::nullopt};
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;
  std::unique_ptr<Application> application_;
  ConsoleFrontEnd frontEnd_{out_.get()};
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<RunningProgram> program_;
  bool closed_ = false;
};

}  // namespace pacetta::testing
