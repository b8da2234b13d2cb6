#include "platform/linux/runtime_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace pacetta::linux_os {

std::string MachineRuntimeFolder() {
  const char* configured = std::getenv("PACETTA_RUNTIME_DIR");
  const std::string folder = configured && *configured ? configured : "/tmp/pacetta-runtime";
  if (mkdir(folder.c_str(), 01777) == 0) chmod(folder.c_str(), 01777);
  return folder;
}

std::string UserRuntimeFolder() {
  const std::string folder = MachineRuntimeFolder() + "/user-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  return folder;
}

std::string FileNameOf(const std::string& text) {
  std::string name;
  for (unsigned char c : text) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
        c == '_') {
      name.push_back(static_cast<char>(c));
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      name += escaped;
    }
  }
  return name;
}

}  // namespace pacetta::linux_os
