#include "platform/linux/package_unpack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/linux/folder_tree.h"

namespace pacetta::linux_os {
namespace {

std::string Failed(const std::string& what, int error) {
  std::string text = what + ": " + std::generic_category().message(error);
  if (error == ELOOP || error == ENOTDIR || error == EEXIST) text += " (something is in the way)";
  return text;
}

// The parts of a relative name; empty when a part could lead anywhere but down.
std::vector<std::string> PartsOf(std::string_view name) {
  std::vector<std::string> parts;
  while (!name.empty()) {
    const size_t slash = name.find('/');
    const std::string_view part = name.substr(0, slash);
    if (part.empty() || part == "." || part == "..") return {};
    parts.emplace_back(part);
    name.remove_prefix(slash == std::string_view::npos ? name.size() : slash + 1);
  }
  return parts;
}

// Short writes are errors, not retried: on a regular file one means the disk is full.
int WriteAll(int fd, std::span<const uint8_t> data) {
  constexpr size_t kChunk = size_t{1} << 20;
  while (!data.empty()) {
    const size_t size = std::min(kChunk, data.size());
    ssize_t written = 0;
    do {
      written = write(fd, data.data(), size);
    } while (written < 0 && errno == EINTR);
    if (written < 0) return errno;
    if (static_cast<size_t>(written) != size) return ENOSPC;
    data = data.subspan(size);
  }
  return 0;
}

int WriteNewFile(int folder, const std::string& name, const platform::UnpackItem& item) {
  const mode_t mode = item.executable ? 0755 : 0644;
  UniqueFd file(
      openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (!file.Valid()) return errno;
  // The mode asked for, whatever the umask.
  if (fchmod(file.Get(), mode) != 0) return errno;
  if (const int error = WriteAll(file.Get(), item.data)) return error;
  if (fsync(file.Get()) != 0) return errno;
  if (close(file.Release()) != 0) return errno;
  return 0;
}

bool WriteItem(int root, const platform::UnpackItem& item, std::string& detail) {
  const std::string name(item.name);
  std::vector<std::string> parts = PartsOf(item.name);
  if (parts.empty()) {
    detail = "\"" + name + "\": not a name below the package folder";
    return false;
  }
  const std::string leaf = item.folder ? std::string() : parts.back();
  if (!item.folder) parts.pop_back();
  UniqueFd current;
  int at = root;
  for (const std::string& part : parts) {
    if (mkdirat(at, part.c_str(), 0755) != 0 && errno != EEXIST) {
      detail = Failed("creating \"" + name + "\"", errno);
      return false;
    }
    UniqueFd inner = OpenFolderAt(at, part);
    if (!inner.Valid()) {
      detail = Failed("entering the folder of \"" + name + "\"", errno);
      return false;
    }
    current = std::move(inner);
    at = current.Get();
  }
  if (item.folder) return true;
  if (const int error = WriteNewFile(at, leaf, item)) {
    detail = Failed("writing \"" + name + "\"", error);
    return false;
  }
  return true;
}

}  // namespace

bool WriteItems(int folder, std::span<const platform::UnpackItem> items, std::string& detail) {
  return std::all_of(items.begin(), items.end(), [&](const platform::UnpackItem& item) {
    return WriteItem(folder, item, detail);
  });
}

bool UnpackInto(const std::string& folder, std::span<const platform::UnpackItem> items,
                std::string& detail) {
  // Whatever an earlier run left behind goes first, links included, so that nothing in the
  // folder predates this package.
  if (!RemoveTree(folder)) {
    detail = Failed("clearing the package folder " + folder, errno);
    return false;
  }
  if (mkdir(folder.c_str(), 0700) != 0) {
    detail = Failed("creating the package folder " + folder, errno);
    return false;
  }
  const UniqueFd root = OpenFolderAt(AT_FDCWD, folder);
  if (!root.Valid()) {
    detail = Failed("opening the package folder " + folder, errno);
  } else if (WriteItems(root.Get(), items, detail)) {
    return true;
  }
  RemoveTree(folder);
  return false;
}

}  // namespace pacetta::linux_os
