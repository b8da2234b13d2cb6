#include "platform/linux/helper_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pacetta::linux_os {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

UniqueFd OpenTrustedFolder(const std::string& folder, uid_t owner, bool create,
                           std::string& error) {
  // Made owner-only and opened up once it is known to be the folder just made, so that
  // the caller's umask decides nothing.
  const bool made = create && mkdir(folder.c_str(), 0700) == 0;
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!fd.Valid() || fstat(fd.Get(), &info) != 0) {
    error = "cannot open the folder " + folder + ": " + std::strerror(errno);
    return UniqueFd();
  }
  if (info.st_uid != 0 && info.st_uid != owner) {
    error = "the folder " + folder + " belongs to user " + std::to_string(info.st_uid);
    return UniqueFd();
  }
  if (made && fchmod(fd.Get(), 0755) == 0) info.st_mode = S_IFDIR | 0755;
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    error = "the folder " + folder + " is writable by other users";
    return UniqueFd();
  }
  return fd;
}

std::string PathInFolder(int folder, const std::string& name) {
  return "/proc/self/fd/" + std::to_string(folder) + "/" + name;
}

}  // namespace pacetta::linux_os
