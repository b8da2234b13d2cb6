#include "updates/install_plan.h"

#include <iterator>
#include <set>

namespace pacetta::updates {
namespace {

using platform::FileAction;
using platform::InstallStep;
using platform::UpdateFolder;

bool EndsWith(const std::string& name, std::string_view suffix) {
  return name.size() >= suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string TopOf(const std::string& name) {
  return name.substr(0, name.find('/'));
}

// A folder in the package folder for replaced backups, named unlike anything the package
// holds.
std::string StashName(const platform::FolderListing& package) {
  std::set<std::string> taken;
  for (const auto& name : package.files) taken.insert(TopOf(name));
  for (const auto& name : package.folders) taken.insert(TopOf(name));
  const std::string base = ".replaced-backups";
  std::string name = base;
  for (int n = 1; taken.count(name) != 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

InstallStep Move(UpdateFolder from, std::string fromName, UpdateFolder to, std::string toName) {
  FileAction action{FileAction::Kind::kMove, from, fromName, to, toName};
  FileAction undo{FileAction::Kind::kMove, to, std::move(toName), from, std::move(fromName)};
  return {std::move(action), std::move(undo)};
}

InstallStep MakeFolder(UpdateFolder folder, const std::string& name) {
  return {FileAction{FileAction::Kind::kMakeFolder, folder, name, folder, ""},
          FileAction{FileAction::Kind::kRemoveFolder, folder, name, folder, ""}};
}

InstallPlan Refuse(std::string why) {
  InstallPlan plan;
  plan.refusal = std::move(why);
  return plan;
}

}  // namespace

InstallPlan PlanInstall(const platform::FolderListing& package,
                        const platform::FolderListing& program) {
  const std::set<std::string> programFiles(program.files.begin(), program.files.end());
  const std::set<std::string> programFolders(program.folders.begin(), program.folders.end());
  // Every folder the package needs, parents first (a name sorts before what extends it).
  std::set<std::string> folders(package.folders.begin(), package.folders.end());
  for (const std::string& file : package.files) {
    for (size_t slash = file.find('/'); slash != std::string::npos;
         slash = file.find('/', slash + 1)) {
      folders.insert(file.substr(0, slash));
    }
  }

  InstallPlan plan;
  for (const std::string& folder : folders) {
    if (programFolders.count(folder) != 0) continue;
    if (programFiles.count(folder) != 0) {
      return Refuse("\"" + folder + "\" is a file in the program folder, not a folder");
    }
    plan.steps.push_back(MakeFolder(UpdateFolder::kProgram, folder));
  }

  const std::string stash = StashName(package);
  std::vector<InstallStep> replacements;
  size_t stashed = 0;
  for (const std::string& file : package.files) {
    const std::string backup = file + std::string(platform::kBackupSuffix);
    if (EndsWith(file, platform::kBackupSuffix)) {
      return Refuse("\"" + file + "\" would clash with the backups of replaced files");
    }
    if (programFolders.count(file) != 0 || programFolders.count(backup) != 0) {
      return Refuse("a folder in the program folder stands where \"" + file +
                    "\" or its backup goes");
    }
    if (programFiles.count(backup) != 0) {
      replacements.push_back(Move(UpdateFolder::kProgram, backup, UpdateFolder::kPackage,
                                  stash + "/" + std::to_string(stashed++)));
    }
    if (programFiles.count(file) != 0) {
      replacements.push_back(Move(UpdateFolder::kProgram, file, UpdateFolder::kProgram, backup));
    }
    replacements.push_back(Move(UpdateFolder::kPackage, file, UpdateFolder::kProgram, file));
  }
  if (stashed != 0) {
    plan.steps.insert(plan.steps.begin(), MakeFolder(UpdateFolder::kPackage, stash));
  }
  plan.steps.insert(plan.steps.end(), std::make_move_iterator(replacements.begin()),
                    std::make_move_iterator(replacements.end()));
  return plan;
}

}  // namespace pacetta::updates
