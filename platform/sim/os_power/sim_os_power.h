#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/os_power.h"
#include "platform/sim/os_power/sim_os_power_state.h"

namespace pacetta::sim {

// Calls of the simulated power policy that fail, by name ("legacy.set-active",
// "plans.duplicate", "panel.set", ... as docs/simulated-os-power.md lists them), with the
// system error each reports; 0 is a failure that sets no error, as some system calls do.
using PowerCallFaults = std::map<std::string, uint32_t, std::less<>>;

struct SimOsPowerOptions {
  uint32_t osMajorVersion = 6;
  // The machine has a built-in panel whose brightness can be set.
  bool panel = false;
  // The file that keeps the schemes between runs, shared by every process that
  // simulates the machine; empty = kept in memory only.
  std::string stateFile;
  PowerCallFaults faults;
};

// The simulated system's power policy: the older generation's numbered schemes before
// major version 6, the newer generation's plans from it on, and the panel of a portable.
// Every change is written to the state file at once, so what one run leaves behind the
// next one finds, also when the run was killed.
class SimOsPower final : public platform::OsPower {
 public:
  explicit SimOsPower(SimOsPowerOptions options);
  ~SimOsPower() override;

  platform::LegacyPowerSchemes* Legacy() override;
  platform::PowerPlans* Plans() override;
  platform::PanelBrightness& Panel() override;

  // What the system holds now, read past its interface.
  SimOsPowerState Truth();
  // From now on the call `name` fails with `systemError`; SucceedAgain undoes it.
  void Fail(const std::string& name, uint32_t systemError);
  void SucceedAgain(const std::string& name);

  // Shared with the three faces of the interface (sim_os_power.cpp).
  struct Core;
  struct Faces;

 private:
  std::unique_ptr<Core> core_;
  std::unique_ptr<Faces> faces_;
};

}  // namespace pacetta::sim
