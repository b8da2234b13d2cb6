#pragma once
// A simulated machine for the advanced settings' tests: its register trace, the driver
// open, every processor identified as start-up does, and the running program's advanced
// settings made by their factory.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/advanced/advanced_settings.h"
#include "cpu/identify/identify_processor.h"
#include "hw/pinning.h"
#include "hw/topology.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"
#include "tests/test_support/trace_rows.h"

namespace pacetta::testing {

class AdvancedRig {
 public:
  // `machine`: a catalogue name or a machine file; `load`: the `--sim-load` form.
  explicit AdvancedRig(const std::string& machine, const std::string& load = "") {
    sim::SimulationOptions options;
    options.machine = machine;
    options.load = load;
    options.stateFolder = folder_.File("state");
    options.settingsPath = folder_.File("settings.json");
    options.trace = TracePath();
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    if (!pc_) throw std::runtime_error(machine + ": " + error);
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    if (driver_->Open(0) != 0) throw std::runtime_error("the simulated driver did not open");
    platform::Platform& view = pc_->View();
    records_.resize(UsableProcessorCount(view.processors));
    AssignTopology(view, records_);
    IdentifyContext identify{view.processors, view.cpu, *driver_};
    for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);
    UnpinThread(view.processors);
    settings_ = std::make_unique<AppSettings>(SettingsMachine{records_.front()});
    made_ = MakeAdvancedSettings({*driver_, view.processors, records_, nullptr, &view.power},
                                 *settings_);
  }
  ~AdvancedRig() {
    made_.reset();
    driver_->Close(true);
  }
  AdvancedRig(const AdvancedRig&) = delete;
  AdvancedRig& operator=(const AdvancedRig&) = delete;

  // Null where the machine's processors have no advanced settings.
  AdvancedSettings* Made() { return made_.get(); }
  CPortexDriver& Driver() { return *driver_; }
  platform::Processors& Processors() { return pc_->View().processors; }
  AppSettings& Settings() { return *settings_; }
  std::vector<CpuInfo>& Records() { return records_; }
  sim::SimulatedPc& Pc() { return *pc_; }

  // Every access traced so far, in order (see ReadTraceRows).
  std::vector<std::vector<std::string>> TraceRows() const { return ReadTraceRows(TracePath()); }

  // The settings of family `T`; throws where the machine has other ones.
  template <typename T>
  T& MadeAs(const char* what) {
    auto* made = dynamic_cast<T*>(made_.get());
    if (made == nullptr) throw std::runtime_error(std::string("the machine has no ") + what);
    return *made;
  }

 private:
  std::string TracePath() const { return folder_.File("trace.tsv"); }

  TempFolder folder_;
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;
  std::vector<CpuInfo> records_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<AdvancedSettings> made_;
};

}  // namespace pacetta::testing
