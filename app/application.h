#pragma once
#include <string>
#include <vector>

#include "app/addins/addin_host.h"
#include "app/startup/startup.h"
#include "app/strings/string_table.h"
#include "hw/portex_driver.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "power/os_power_policy.h"

namespace pacetta {

// The program from start-up to exit: what start-up builds, and the exit path that
// releases it in order. The driver object outlives it (it is the last thing to go).
class Application {
 public:
  // `restartArguments` are what a restart passes to the new instance: the options that
  // chose the platform and front end, never a command.
  Application(platform::Platform& platform, platform::MessageBoxes& boxes, CPortexDriver& driver,
              std::vector<std::string> restartArguments);

  // Runs start-up; on kRun the records and the running event are held here.
  StartupOutcome Start(const Command& command, int& exitCode);

  platform::Platform& Platform() { return platform_; }
  platform::MessageBoxes& Boxes() { return boxes_; }
  StringTable& Strings() { return strings_; }
  CPortexDriver& Driver() { return driver_; }
  std::vector<CpuInfo>& Processors() { return state_.processors; }
  const StartupState& State() const { return state_; }
  // The program's part in the system's power schemes, for the whole run.
  power::OsPowerPolicy& OsPower() { return osPower_; }
  // The add-in modules beside the program, loaded at the window's start.
  AddinHost& Addins() { return addins_; }

  // The exit path after the loop: unloads the add-in modules (updates first), releases
  // the instance, the records and the language module, and starts the program again when
  // asked. Returns the exit code.
  int Exit(bool restart);

 private:
  // At exit, when no other process uses the driver, user-mode counter reads are taken
  // back on every processor.
  void DisableUserCountersWhenLastUser();

  platform::Platform& platform_;
  platform::MessageBoxes& boxes_;
  CPortexDriver& driver_;
  std::vector<std::string> restartArguments_;
  StringTable strings_;
  StartupState state_;
  power::OsPowerPolicy osPower_;
  AddinHost addins_;
};

// One line per processor record, as the console shows them at start.
std::string DescribeProcessorRecord(const CpuInfo& cpu);

}  // namespace pacetta
