#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace pacetta::portex {

// How the helper is run. The defaults are the real machine; a test points the device
// paths at ordinary files (a fake device tree).
struct HelperOptions {
  std::string socketPath = "/run/pacetta/Portex64.sock";
  std::string msrDir = "/dev/cpu";  // <msrDir>/<n>/msr per processor
  std::string portFile = "/dev/port";
  std::string memFile = "/dev/mem";
  std::string pciDir = "/sys/bus/pci/devices";  // <pciDir>/0000:00:DD.F/config
  std::vector<uid_t> allowUids;                 // besides root
  std::optional<gid_t> group;                   // members may connect too
  // Any other local user may connect when polkit authorizes reading the sensors, and
  // change hardware state when it authorizes that too.
  bool polkit = false;
  // Holds sys/devices/system/cpu: the kernel's frequency policy files.
  std::string sysRoot = "/";
  bool foreground = false;
  int readyFd = -1;          // gets one byte once the socket listens
  unsigned maxClients = 32;  // one of them kept for root
  unsigned maxPerUser = 8;   // connections of one user other than root
  // A connection that holds no use of the driver is closed after this long without a
  // request; 0 = never.
  unsigned idleTimeoutSeconds = 60;

  bool UsesRealMsrDevices() const { return msrDir == "/dev/cpu"; }
};

extern const char* const kHelperUsage;

// Null with `error` set for an unknown option, a bad number or an unknown group.
std::optional<HelperOptions> ParseHelperOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

}  // namespace pacetta::portex
