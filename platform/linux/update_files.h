#pragma once
#include "platform/update_files.h"

namespace pacetta::linux_os {

// Update packages on Linux: files unpacked through descriptors without following links,
// installs carried out with renames that never replace what they find.
class LinuxUpdateFiles final : public platform::UpdateFiles {
 public:
  std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path, size_t limit) override;
  bool Unpack(const std::string& folder, std::span<const platform::UnpackItem> items,
              std::string& detail) override;
  std::optional<platform::FolderListing> List(const std::string& folder) override;
  platform::InstallOutcome Install(const std::string& packageFolder,
                                   const std::string& programFolder,
                                   std::span<const platform::InstallStep> steps) override;
  bool RemoveBackups(const std::string& folder) override;
  bool RemoveTree(const std::string& folder) override;
  bool MakeEmptyFolder(const std::string& folder) override;
  bool CanReplaceIn(const std::string& folder) override;
};

}  // namespace pacetta::linux_os
