#include "platform/linux/helper_config.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pacetta::linux_os {
namespace {

constexpr const char* kDefaultSocket = "/run/pacetta/Portex64.sock";
constexpr unsigned kCapSysRawIo = 17;  // linux/capability.h

}  // namespace

std::string HelperConfig::RecordFolder() const {
  const auto slash = socketPath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : socketPath.substr(0, slash);
}

std::string HelperConfig::RecordPath() const {
  return RecordFolder() + "/" + serviceName + ".service";
}

HelperConfig DefaultHelperConfig() {
  HelperConfig config;
  const char* configured = std::getenv("PACETTA_PORTEX_SOCKET");
  config.socketPath = configured && *configured ? configured : kDefaultSocket;
  config.mayStartHelper = HasHardwareAccessRights;
  return config;
}

bool HasHardwareAccessRights() {
  if (geteuid() == 0) return true;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("CapEff:", 0) != 0) continue;
    std::istringstream hex(line.substr(7));
    unsigned long long mask = 0;
    hex >> std::hex >> mask;
    return (mask >> kCapSysRawIo & 1) != 0;
  }
  return false;
}

}  // namespace pacetta::linux_os
