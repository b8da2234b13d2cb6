#include "tools/portex64/helper_options.h"

#include <grp.h>

#include <cstdlib>

namespace pacetta::portex {

const char* const kHelperUsage =
    "Usage: Portex64 [options]\n"
    "  --socket=PATH      listen here (default /run/pacetta/Portex64.sock)\n"
    "  --group=NAME|GID   members of this group may connect (root always may)\n"
    "  --allow-uid=UID    this user may connect too (repeatable)\n"
    "  --polkit           other local users may connect as polkit authorizes\n"
    "  --foreground       stay in the foreground\n"
    "  --ready-fd=N       write one byte to descriptor N once listening\n"
    "  --max-clients=N    connections served at once (default 32, one kept for root)\n"
    "  --max-per-user=N   connections of one user other than root (default 8)\n"
    "  --idle-timeout=S   close a connection that holds no use after S seconds\n"
    "                     without a request (default 60, 0 = never)\n"
    "  --msr-dir=DIR      processor registers as DIR/<n>/msr (default /dev/cpu)\n"
    "  --port-file=FILE   I/O ports (default /dev/port)\n"
    "  --mem-file=FILE    physical memory (default /dev/mem)\n"
    "  --pci-dir=DIR      PCI configuration as DIR/0000:00:DD.F/config\n"
    "                     (default /sys/bus/pci/devices)\n"
    "  --sys-root=DIR     frequency policies under DIR/sys/devices/system/cpu\n"
    "                     (default /)\n";

namespace {

std::optional<unsigned long> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

std::optional<gid_t> GroupOf(const std::string& text) {
  if (const auto number = Number(text)) return static_cast<gid_t>(*number);
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(16384);
  if (getgrnam_r(text.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
    return std::nullopt;
  }
  return found->gr_gid;
}

}  // namespace

std::optional<HelperOptions> ParseHelperOptions(const std::vector<std::string>& arguments,
                                                std::string& error) {
  HelperOptions options;
  for (const std::string& argument : arguments) {
    const auto equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? argument.substr(equals + 1) : "";
    if (name == "--foreground" && !hasValue) {
      options.foreground = true;
    } else if (name == "--polkit" && !hasValue) {
      options.polkit = true;
    } else if (!hasValue || value.empty()) {
      error = "unknown option: " + argument;
      return std::nullopt;
    } else if (name == "--socket") {
      options.socketPath = value;
    } else if (name == "--msr-dir") {
      options.msrDir = value;
    } else if (name == "--port-file") {
      options.portFile = value;
    } else if (name == "--mem-file") {
      options.memFile = value;
    } else if (name == "--pci-dir") {
      options.pciDir = value;
    } else if (name == "--sys-root") {
      options.sysRoot = value;
    } else if (name == "--group") {
      options.group = GroupOf(value);
      if (!options.group) {
        error = "unknown group: " + value;
        return std::nullopt;
      }
    } else if (name == "--allow-uid" || name == "--ready-fd" || name == "--max-clients" ||
               name == "--max-per-user" || name == "--idle-timeout") {
      const auto number = Number(value);
      const bool positive = name == "--max-clients" || name == "--max-per-user";
      if (!number || *number > 0x7FFFFFFFul || (positive && *number == 0)) {
        error = "bad number: " + argument;
        return std::nullopt;
      }
      if (name == "--allow-uid") options.allowUids.push_back(static_cast<uid_t>(*number));
      if (name == "--ready-fd") options.readyFd = static_cast<int>(*number);
      if (name == "--max-clients") options.maxClients = static_cast<unsigned>(*number);
      if (name == "--max-per-user") options.maxPerUser = static_cast<unsigned>(*number);
      if (name == "--idle-timeout") options.idleTimeoutSeconds = static_cast<unsigned>(*number);
    } else {
      error = "unknown option: " + argument;
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace pacetta::portex
