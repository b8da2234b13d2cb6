#pragma once
// A simulated PC with the program's driver open on it and every processor identified as
// start-up identifies it: topology, then identification completed with the readings,
// limits and candidate states.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/monitor/sampler_settings.h"
#include "hw/k8_northbridge.h"
#include "hw/optional_entry_points.h"
#include "hw/portex_driver.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// Where the machine's settings file lies when no path is given.
enum class SettingsFile {
  kPrivate,     // settings.json in the machine's own folder
  kProgramsOwn  // the file the program itself uses for the machine, under $XDG_CONFIG_HOME
};

// What the simulated PC is built from. Every field has an initialiser, so designated
// initialisers may leave any out; empty ones keep the simulation's choice.
struct MachineOptions {
  std::string machine = {};  // catalogue name or machine file; empty: the default machine
  std::string load = {};     // `--sim-load`; empty: idle
  std::string thermal = {};  // `--sim-thermal`; empty: the part's own values
  std::optional<bool> system32 = std::nullopt;     // the machine's word size unless given
  std::shared_ptr<sim::SimClock> clock = nullptr;  // null: the host's monotonic clock
  std::string settingsPath = {};                   // empty: see `settings`
  SettingsFile settings = SettingsFile::kPrivate;
  // Runs once the PC stands, before anything touches it (held time may start here).
  std::function<void()> whenBuilt = nullptr;
  std::string trace = {};  // `--sim-trace`: the register trace's file; empty: none
};

class IdentifiedMachine {
 public:
  // The driver service lives in a fresh state folder of the machine's own, removed with
  // it, so it is never shared with another machine or a program under test. Throws
  // std::runtime_error when the PC cannot be built, the driver does not open or no
  // processor is usable.
  explicit IdentifiedMachine(const MachineOptions& options);
  // The catalogue machine `machine` (empty: the default one) with its settings in
  // `settingsPath`, or in the program's own file for it when that is empty.
  IdentifiedMachine(const std::string& machine, const std::string& settingsPath);
  // Closes the driver and removes its service before the PC goes.
  ~IdentifiedMachine();
  IdentifiedMachine(const IdentifiedMachine&) = delete;
  IdentifiedMachine& operator=(const IdentifiedMachine&) = delete;

  sim::SimulatedPc& Pc() { return *pc_; }
  platform::Platform& View() { return pc_->View(); }
  CPortexDriver& Driver() { return driver_; }
  SensorHardware& Sensors() { return sensors_; }
  // What the performance-state code reaches the processors through.
  PStateHardware PStates() { return {driver_, View().processors, {}}; }
  // One record per usable processor, in processor order.
  std::vector<CpuInfo>& Records() { return records_; }
  const std::vector<CpuInfo>& Records() const { return records_; }

  // What the program did that the hardware would have refused, one line each.
  std::string ViolationText();

  // The calibration the running program takes at start: the delay loop, then processor
  // 0's clock over its multiplier as the bus clock. The thread ends unpinned.
  Calibration CalibrateAsAtStart();

 private:
  TempFolder folder_;
  std::unique_ptr<sim::SimulatedPc> pc_;
  CPortexDriver driver_;
  OptionalEntryPoints entryPoints_;
  CK8Northbridge northbridge_;
  SensorHardware sensors_;
  std::vector<CpuInfo> records_;
};

}  // namespace pacetta::testing
