#pragma once
#include <functional>
#include <string>
#include <vector>

namespace pacetta::linux_os {

// Where the program finds the Portex64 helper and what it may do to start it.
struct HelperConfig {
  // The helper's socket: $PACETTA_PORTEX_SOCKET when set, else /run/pacetta/Portex64.sock.
  std::string socketPath;
  // The one service name the helper answers to (the device is "\\.\" + this name).
  std::string serviceName = "Portex64";
  // Extra arguments for a helper this program starts (a fake device tree in tests).
  std::vector<std::string> helperArguments;
  // Whether this process may start the helper itself: root, or CAP_SYS_RAWIO.
  std::function<bool()> mayStartHelper;
  // How long a started helper may take to listen.
  int startTimeoutMs = 10000;

  // The folder of the installed-service record: beside the socket.
  std::string RecordFolder() const;
  std::string RecordPath() const;
};

HelperConfig DefaultHelperConfig();

// True when the effective user is root or the effective capabilities hold CAP_SYS_RAWIO.
bool HasHardwareAccessRights();

}  // namespace pacetta::linux_os
