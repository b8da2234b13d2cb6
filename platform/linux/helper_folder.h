#pragma once
#include <sys/types.h>

#include <string>

#include "platform/linux/helper_socket.h"

// The folder that holds the helper's socket and the program's service record. A root
// process acts on names in it (creates the socket, changes its group, reads the record
// and starts the program it names), so only a folder that nobody else can change is used.
namespace pacetta::linux_os {

// The folder part and the name part of `path` ("." and `path` without a slash).
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Opens `folder` without following a link at its end and checks the open folder: it must
// belong to root or to `owner` and be writable by nobody else (group or others). With
// `create`, a missing folder is made, mode 0755 whatever the umask. Invalid with `error`
// set otherwise.
UniqueFd OpenTrustedFolder(const std::string& folder, uid_t owner, bool create, std::string& error);

// A path that reaches `name` inside the open folder `folder` itself, not whatever the
// folder's own path names by the time it is used (for calls that take no folder
// descriptor: bind, connect, mkstemp).
std::string PathInFolder(int folder, const std::string& name);

}  // namespace pacetta::linux_os
