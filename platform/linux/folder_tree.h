#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/helper_socket.h"

// Walking and deleting folder trees through descriptors, never following a link: a link
// met on the way is an entry like any file, deleted or listed as itself.
namespace pacetta::linux_os {

struct FolderEntry {
  std::string name;
  bool folder = false;  // a real folder, not a link to one
};

// Opens the folder `name` in the folder `parent` (AT_FDCWD for a path); invalid when it
// is missing, not a folder, or a link.
UniqueFd OpenFolderAt(int parent, const std::string& name);
// The entries of the open folder `folder`, without "." and ".."; nullopt when unreadable.
std::optional<std::vector<FolderEntry>> ReadFolder(int folder);
// Deletes everything in the open folder `folder`; false when something stays.
bool EmptyFolder(int folder);
// Deletes `path` and all below it; a link at `path` is deleted, not its target. True when
// nothing is left at `path`.
bool RemoveTree(const std::string& path);

}  // namespace pacetta::linux_os
