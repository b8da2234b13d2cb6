#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel_cpu.h"

namespace pacetta::linux_os {

// A file of "<policy id> <governor>" lines: the governors a run switched and must put
// back. It lives outside the program so that a run ended by SIGKILL, which runs no code,
// still leaves it for the next start.
class GovernorRecord {
 public:
  explicit GovernorRecord(std::string path) : path_(std::move(path)) {}

  // What the file holds; empty when there is none. A file of another user (the folder
  // is shared) or with a malformed line is not trusted and reads as empty.
  std::vector<platform::TakenGovernor> Read() const;
  // Replaces the file at once (written aside, then renamed); an empty list removes it.
  bool Write(const std::vector<platform::TakenGovernor>& taken) const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The record of this machine: in the machine's runtime folder, which the system empties
// at boot, when every governor is the kernel's default again anyway.
std::string MachineGovernorRecordPath();

}  // namespace pacetta::linux_os
