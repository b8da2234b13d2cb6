#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/update_files.h"

namespace pacetta::updates {

struct InstallPlan {
  std::vector<platform::InstallStep> steps;
  // Why the package cannot go over this program folder; no steps then.
  std::optional<std::string> refusal;
};

// The steps that put the unpacked package's files into the program folder. A program file
// the package replaces is first renamed to "<name>.bak"; a ".bak" an earlier update left
// is moved aside into the package folder rather than overwritten, so that every step can
// be taken back and a failed install leaves the program folder exactly as it was. Folders
// the package brings are created. Nothing in the program folder is overwritten by a move.
// Refused when a package file ends in ".bak" (it would clash with the backups) or a
// package file or folder meets the other kind in the program folder.
InstallPlan PlanInstall(const platform::FolderListing& package,
                        const platform::FolderListing& program);

}  // namespace pacetta::updates
