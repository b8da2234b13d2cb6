#include "platform/linux/autostart/config_files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/linux/helper_socket.h"

namespace pacetta::linux_os {
namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryBeside(const std::string& path) {
  return path + ".tmp-" + std::to_string(getpid());
}

void SyncFolder(const std::string& folder) {
  const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) fsync(fd.Get());
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Moves the finished temporary `temporary` over `path`; removes it when that fails.
bool MoveInPlace(const std::string& temporary, const std::string& path) {
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  SyncFolder(FolderOf(path));
  return true;
}

}  // namespace

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // A relative value is invalid and must be ignored.
  if (config && *config == '/') return config;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config";
  if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && *user->pw_dir) {
    return std::string(user->pw_dir) + "/.config";
  }
  return {};
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  if (mkdir(folder.c_str(), 0700) == 0) return true;
  struct stat status {};
  return errno == EEXIST && stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool ReplaceFile(const std::string& path, const std::string& text) {
  const std::string temporary = TemporaryBeside(path);
  unlink(temporary.c_str());  // left by a run that died half-way
  bool written = false;
  {
    const UniqueFd fd(
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!fd.Valid()) return false;
    written = fchmod(fd.Get(), 0644) == 0 && WriteAll(fd.Get(), text) && fsync(fd.Get()) == 0;
  }
  if (!written) {
    unlink(temporary.c_str());
    return false;
  }
  return MoveInPlace(temporary, path);
}

bool ReplaceLink(const std::string& path, const std::string& target) {
  const std::string temporary = TemporaryBeside(path);
  unlink(temporary.c_str());  // left by a run that died half-way
  if (symlink(target.c_str(), temporary.c_str()) != 0) return false;
  return MoveInPlace(temporary, path);
}

bool RemoveEntry(const std::string& path) {
  if (unlink(path.c_str()) != 0) return errno == ENOENT;
  SyncFolder(FolderOf(path));
  return true;
}

std::string LinkTarget(const std::string& path) {
  char target[4096];
  const ssize_t n = readlink(path.c_str(), target, sizeof target);
  return n > 0 && static_cast<size_t>(n) < sizeof target
             ? std::string(target, static_cast<size_t>(n))
             : std::string();
}

bool ReadRegularFile(const std::string& path, std::string& text) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat status {};
  if (!fd.Valid() || fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  text.clear();
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace pacetta::linux_os
