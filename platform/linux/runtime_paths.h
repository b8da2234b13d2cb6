#pragma once
#include <string>

namespace pacetta::linux_os {

// Folder of the machine-wide instance locks: $PACETTA_RUNTIME_DIR when set (tests give
// each run its own), otherwise /tmp/pacetta-runtime, shared by every user (sticky).
std::string MachineRuntimeFolder();
// Folder of this user's window sockets inside the machine folder, private to the user;
// empty when no private folder can be had there.
std::string UserRuntimeFolder();
// A new folder named `prefix`-XXXXXX, private to this user; empty when none can be made.
std::string FreshPrivateFolder(const std::string& prefix);
// A file name made of any text: letters and digits stay, everything else is %XX.
std::string FileNameOf(const std::string& text);

}  // namespace pacetta::linux_os
