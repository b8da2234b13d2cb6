#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/machine.h"

namespace pacetta::sim::testing {

// The real dumps shared with the project, beside the repository (with its subfolders).
std::filesystem::path SharedDumpFolder();
std::vector<std::filesystem::path> SharedDumps();
std::string ReadText(const std::filesystem::path& path);

// The values a dump lists after its dashed line, one a line (see the folder's README).
std::vector<std::string> DerivedValues(const std::string& dumpText);
inline constexpr size_t kDerivedCores = 8;
inline constexpr size_t kDerivedLogicalProcessors = 9;

// A folder of its own under the system's temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Write(const std::string& name, const std::string& content) const;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The program's own diagnostic dump of a machine, written by its format rules.
std::string OwnDumpText(const MachineSpec& machine, const std::string& lineEnd);

bool SameLeaves(const CpuidLeaves& a, const CpuidLeaves& b);

}  // namespace pacetta::sim::testing
