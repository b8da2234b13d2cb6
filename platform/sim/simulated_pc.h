#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/kernel_cpu.h"
#include "platform/platform.h"
#include "platform/sim/driver/violation_log.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/os_power/sim_os_power.h"
#include "platform/sim/pc/sim_local_clock.h"
#include "platform/sim/pc/sim_priorities.h"
#include "platform/sim/power/sim_power.h"
#include "platform/sim/session/sim_user_session.h"
#include "platform/sim/workload/processor_timeline.h"
#include "platform/sim/workload/sim_clock.h"

namespace pacetta::sim {

struct SimulationOptions {
  std::string machine;               // catalogue name or machine file; empty = the default machine
  std::string faults;                // failures to inject, as `--sim-fault` takes them
  std::string os;                    // "MAJOR.MINOR" or "MAJOR.MINOR-9x"; empty = the machine's
  std::optional<bool> system32;      // the machine's word size unless given
  std::optional<uint64_t> affinity;  // processors the process may use
  // Where the machine's driver services and use count live, shared by every process
  // that simulates it; empty = the runtime folder of this machine.
  std::string stateFolder;
  // The settings file of this simulated machine; empty = its own file in the user's
  // configuration folder, never the real machine's settings.
  std::string settingsPath;
  // What the processors do (`--sim-load`) and how they heat (`--sim-thermal`); the
  // forms are in platform/sim/workload/workload_options.h. Empty = idle, the part's
  // own thermal values.
  std::string load;
  std::string thermal;
  // A scenario file (`--sim-scenario`): timed plug, unplug, suspend, resume, battery,
  // wall-clock, program and input steps, docs/simulated-power.md. Empty = none.
  std::string scenario;
  // A file for the system power requests of the user's session (`--sim-actions`): one
  // line each, docs/simulated-power.md. Empty = none.
  std::string actions;
  // A file for the register trace (`--sim-trace`): every hardware access the program
  // makes, docs/simulated-trace.md. Empty = none.
  std::string trace;
  // An older-kind frequency driver on a machine steered by its registers
  // (`--sim-cpufreq=GOVERNOR[:OFFERED,...]`, docs/linux-governor.md). Empty = none.
  std::string cpufreq;
  // The machine's time; null = the host's monotonic clock. Tests drive their own.
  std::shared_ptr<SimClock> clock;
};

// A whole simulated PC: the machine, its processors, driver, services, operating system,
// wall clock and user session, with the host's processes, modules and instance lock.
class SimulatedPc {
 public:
  static std::unique_ptr<SimulatedPc> Create(const SimulationOptions& options, std::string& error);
  // The same for a machine already in memory (`options.machine` is not read).
  static std::unique_ptr<SimulatedPc> FromMachine(MachineSpec machine,
                                                  const SimulationOptions& options,
                                                  std::string& error);
  virtual ~SimulatedPc() = default;

  virtual platform::Platform& View() = 0;
  virtual const MachineSpec& Machine() const = 0;
  // What the program did that the real hardware would have refused.
  virtual std::vector<Violation> Violations() = 0;
  // The true performance state of processor k, read past the registers.
  virtual std::optional<ModelState> ProcessorState(unsigned k) const = 0;
  // Processor k's clock, duty, busy share and temperature now, read past the registers.
  virtual std::optional<ProcessorTruth> Activity(unsigned k) = 0;

  // The machine's AC adapter, battery and sleep, as a user or a power scenario drives
  // them. Each action returns false when it makes no sense now.
  virtual SimPower& PowerSupply() = 0;
  bool PlugAc() { return PowerSupply().Plug(); }
  bool UnplugAc() { return PowerSupply().Unplug(); }
  bool Suspend() { return PowerSupply().Suspend(); }
  bool Resume() { return PowerSupply().Resume(); }

  // What the program asked of the scheduler; the host's scheduling is never changed.
  virtual SimPriorities& Priorities() = 0;
  // The system's power schemes or plans and the panel, as the program left them.
  virtual SimOsPower& OsPowerPolicy() = 0;
  // The user's programs, input and the system power requests the program made, as a
  // user or a scenario drives them.
  virtual SimUserSession& Session() = 0;
  // The wall clock the program reads (UTC), which a scenario may set.
  virtual SimLocalClock& WallClock() = 0;

  // The kernel's frequency policies and hardware monitors of the machine's processors;
  // without policies on machines whose family has no kernel frequency driver.
  virtual platform::KernelCpu& KernelCpu() = 0;
  // Another manager of the kernel's frequency policies starts (power-profiles-daemon...).
  virtual void StartFrequencyCompetitor(platform::FrequencyCompetitor competitor) = 0;
};

// "name  description" lines of the built-in catalogue, the default machine marked.
std::string DescribeCatalogue();

}  // namespace pacetta::sim
