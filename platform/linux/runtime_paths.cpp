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

namespace {

// A folder of this user's alone: a real folder (not a link), owned by the user, that no one
// else may enter.
bool PrivateFolder(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == getuid() && (status.st_mode & 077) == 0;
}

}  // namespace

std::string UserRuntimeFolder() {
  const std::string machine = MachineRuntimeFolder();
  const std::string folder = machine + "/user-" + std::to_string(getuid());
  mkdir(folder.c_str(), 0700);
  if (PrivateFolder(folder)) return folder;
  // Another user made the name first (the machine folder is shared): this run's sockets
  // go to a fresh private folder instead, out of that user's reach. A second start then
  // cannot find this instance's window, which is the lesser harm.
  return FreshPrivateFolder(folder);
}

std::string FreshPrivateFolder(const std::string& prefix) {
  std::string fresh = prefix + "-XXXXXX";
  return mkdtemp(fresh.data()) != nullptr ? fresh : std::string();
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
