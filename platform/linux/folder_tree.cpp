#include "platform/linux/folder_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace pacetta::linux_os {
namespace {

struct DirClose {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

UniqueFd OpenFolderAt(int parent, const std::string& name) {
  int fd = -1;
  do {
    fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return UniqueFd(fd);
}

std::optional<std::vector<FolderEntry>> ReadFolder(int folder) {
  // A descriptor of its own: reading moves the offset, which a dup would share.
  UniqueFd own = OpenFolderAt(folder, ".");
  if (!own.Valid()) return std::nullopt;
  std::unique_ptr<DIR, DirClose> dir(fdopendir(own.Get()));
  if (!dir) return std::nullopt;
  own.Release();  // the stream owns it now
  std::vector<FolderEntry> entries;
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) continue;  // gone since the listing
      return std::nullopt;
    }
    entries.push_back({name, S_ISDIR(info.st_mode)});
    errno = 0;
  }
  if (errno != 0) return std::nullopt;
  return entries;
}

bool EmptyFolder(int folder) {
  const auto entries = ReadFolder(folder);
  if (!entries) return false;
  bool emptied = true;
  for (const FolderEntry& entry : *entries) {
    if (entry.folder) {
      const UniqueFd inner = OpenFolderAt(folder, entry.name);
      emptied = inner.Valid() && EmptyFolder(inner.Get()) && emptied;
      emptied = unlinkat(folder, entry.name.c_str(), AT_REMOVEDIR) == 0 && emptied;
    } else {
      emptied = (unlinkat(folder, entry.name.c_str(), 0) == 0 || errno == ENOENT) && emptied;
    }
  }
  return emptied;
}

bool RemoveTree(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (!S_ISDIR(info.st_mode)) return unlink(path.c_str()) == 0;
  const UniqueFd folder = OpenFolderAt(AT_FDCWD, path);
  if (!folder.Valid() || !EmptyFolder(folder.Get())) return false;
  return rmdir(path.c_str()) == 0;
}

}  // namespace pacetta::linux_os
