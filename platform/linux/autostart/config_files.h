#pragma once
#include <string>

namespace pacetta::linux_os {

// Files of the user's configuration folder, each replaced whole or not at all, so that a
// crash or a full disk never leaves half an entry for the desktop to read.

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config; empty when no home folder is known.
std::string UserConfigFolder();
// Creates `folder` and its missing parents (mode 0700, as for the configuration folder).
bool MakeFolders(const std::string& folder);
// Replaces `path` by a file holding `text` (mode 0644): temporary file, fsync, rename,
// fsync of the folder.
bool ReplaceFile(const std::string& path, const std::string& text);
// Replaces `path` by a symbolic link to `target`, the same way.
bool ReplaceLink(const std::string& path, const std::string& target);
// Removes `path` (a file or a link, never followed); true when it is gone or was absent.
bool RemoveEntry(const std::string& path);
// Where the symbolic link `path` points; empty when it is no link.
std::string LinkTarget(const std::string& path);
// The text of `path` when it is (or links to) a regular file that can be read.
bool ReadRegularFile(const std::string& path, std::string& text);

}  // namespace pacetta::linux_os
