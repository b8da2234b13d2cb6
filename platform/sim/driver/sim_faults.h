#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace pacetta::sim {

// Failures the simulated driver and its service manager can be told to produce, so that
// every error path of the program can be reached without real hardware. The text form
// (`--sim-fault=`) is documented in docs/simulated-faults.md.
struct SimFaults {
  // The driver file beside the program is missing (the simulated file system hides it).
  bool driverFileMissing = false;
  // The service control manager refuses to open (no administrator rights).
  bool managerRefused = false;
  bool createFails = false;
  bool openFails = false;
  // Starting the service fails; it stays stopped.
  bool startFails = false;
  // After a start the next `startPendingQueries` status queries answer "start pending"
  // with this wait hint; the check point grows by one per query unless it is stuck.
  uint32_t startPendingQueries = 0;
  uint32_t startWaitHintMs = 2000;
  bool checkPointGrows = true;
  bool statusFails = false;
  bool deviceOpenFails = false;
  // The version the driver reports; nullopt = the expected 1.5.
  std::optional<std::pair<uint32_t, uint32_t>> version;
  std::set<uint32_t> failingRequests;
  std::set<uint32_t> failingMsrReads;
  std::set<uint32_t> failingMsrWrites;
  // Calls of the simulated power policy that fail, by name, with the system error each
  // reports (`fail-power=NAME` fails with 5, `fail-power=NAME:CODE` with CODE).
  std::map<std::string, uint32_t, std::less<>> failingPowerCalls;

  // True when `path` names the driver file (a file named Portex32/Portex64, with or
  // without ".sys") and the driver file is to be missing.
  bool HidesFile(std::string_view path) const;
};

struct SimFaultsParse {
  std::optional<SimFaults> faults;  // set on success
  std::string error;                // set on failure
};

// Parses a comma-separated list such as "no-driver-file,version=1.4,fail-request=0x80002030".
// Empty text gives no faults.
SimFaultsParse ParseSimFaults(std::string_view text);

}  // namespace pacetta::sim
