#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace pacetta::linux_os {

// The users a helper that this process talks to may run as: root, and this process's
// own user (a helper it started itself, or a test's).
std::vector<uid_t> DefaultHelperUsers();

// Where the program finds the Portex64 helper and what it may do to start it.
struct HelperConfig {
  // The helper's socket: see HelperSocketPath.
  std::string socketPath;
  // The one service name the helper answers to (the device is "\\.\" + this name).
  std::string serviceName = "Portex64";
  // Extra arguments for a helper this program starts (a fake device tree in tests).
  std::vector<std::string> helperArguments;
  // Whether this process may start the helper itself: root, or CAP_SYS_RAWIO.
  std::function<bool()> mayStartHelper;
  // Nothing is sent to a listener running as anyone else.
  std::vector<uid_t> helperUsers = DefaultHelperUsers();
  // How long a started helper may take to listen.
  int startTimeoutMs = 10000;

  // The folder of the installed-service record: beside the socket.
  std::string RecordFolder() const;
  std::string RecordName() const { return serviceName + ".service"; }
  std::string RecordPath() const;
};

// `configured` ($PACETTA_PORTEX_SOCKET) when set, else /run/pacetta/Portex64.sock. A run
// as root or with borrowed rights (real and effective user differ) always takes the
// default: a variable carried into it (sudo -E) must not lead it to a socket or a service
// record in a folder of someone else's choosing.
std::string HelperSocketPath(const char* configured, uid_t realUser, uid_t effectiveUser);

HelperConfig DefaultHelperConfig();

// True when the effective user is root or the effective capabilities hold CAP_SYS_RAWIO.
bool HasHardwareAccessRights();

}  // namespace pacetta::linux_os
