#pragma once
#include <memory>
#include <vector>

#include "app/startup/command_line.h"
#include "app/strings/string_table.h"
#include "cpu/cpu_info.h"
#include "hw/k8_northbridge.h"
#include "hw/optional_entry_points.h"
#include "hw/portex_driver.h"
#include "platform/message_box.h"
#include "platform/platform.h"

namespace pacetta {

inline constexpr const char* kSettingsKeyPath = "Software\\Norvane\\Pacetta";
inline constexpr const char* kRunningEventName = "Global\\PacettaRunningEvent";

struct StartupServices {
  platform::Platform& platform;
  platform::MessageBoxes& boxes;
  StringTable& strings;
  CPortexDriver& driver;
};

// What a successful start-up hands to the running program.
struct StartupState {
  // Held for the whole run: its existence marks the running instance, and setting it
  // is the stop signal of every worker.
  std::unique_ptr<platform::NamedEvent> runningEvent;
  std::vector<CpuInfo> processors;  // processor k at index k; never resized
  HardwareSwitches switches;
  bool isNt = false;
  bool isVersion6OrLater = false;
  // Resolved before the driver is opened; read-only once workers run.
  OptionalEntryPoints entryPoints;
  // The one K8 northbridge accessor every processor's readings share.
  std::unique_ptr<CK8Northbridge> northbridge;
  // The program runs under 32-bit emulation on a 64-bit system: kernel routines are
  // never issued and their fallbacks are used.
  bool is64BitSystem = false;
  // The driver could not be opened, and every processor is one of today's: the program
  // runs on what the kernel offers to everyone (clock, load, temperatures) and changes
  // nothing, rather than refuse to start.
  bool withoutDriver = false;
};

enum class StartupOutcome {
  kRun,   // build the main window and run
  kExit,  // the work is done (help, unload, hand-over) or start-up failed
};

struct StartupResult {
  StartupOutcome outcome = StartupOutcome::kExit;
  int exitCode = 1;
  StartupState state;
};

// The start-up sequence up to the creation of the main window: system checks, language,
// the one-shot commands, the single instance and the hand-over to a running one, the
// driver with its version check, and one identified record per processor.
StartupResult RunStartup(StartupServices& services, const Command& command);

}  // namespace pacetta
