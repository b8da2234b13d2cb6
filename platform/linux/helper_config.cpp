#include "platform/linux/helper_config.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/linux/helper_folder.h"

namespace pacetta::linux_os {
namespace {

constexpr const char* kDefaultSocket = "/run/pacetta/Portex64.sock";
constexpr unsigned kCapSysRawIo = 17;  // linux/capability.h

}  // namespace

std::vector<uid_t> DefaultHelperUsers() {
  if (geteuid() == 0) return {0};
  return {0, geteuid()};
}

std::string HelperConfig::RecordFolder() const {
  return FolderOf(socketPath);
}

std::string HelperConfig::RecordPath() const {
  return RecordFolder() + "/" + RecordName();
}

std::string HelperSocketPath(const char* configured, uid_t realUser, uid_t effectiveUser) {
  const bool privileged = effectiveUser == 0 || realUser != effectiveUser;
  if (privileged || configured == nullptr || *configured == '\0') return kDefaultSocket;
  return configured;
}

HelperConfig DefaultHelperConfig() {
  HelperConfig config;
  // secure_getenv also hides it from a program started with set-user or file capabilities.
  config.socketPath = HelperSocketPath(secure_getenv("PACETTA_PORTEX_SOCKET"), getuid(), geteuid());
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
