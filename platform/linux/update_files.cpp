#include "platform/linux/update_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <system_error>

#include "platform/linux/folder_tree.h"
#include "platform/linux/package_unpack.h"

namespace pacetta::linux_os {
namespace {

using platform::FileAction;
using platform::UpdateFolder;

bool ListInto(int folder, const std::string& prefix, platform::FolderListing& listing) {
  const auto entries = ReadFolder(folder);
  if (!entries) return false;
  for (const FolderEntry& entry : *entries) {
    const std::string name = prefix + entry.name;
    if (!entry.folder) {
      listing.files.push_back(name);
      continue;
    }
    listing.folders.push_back(name);
    const UniqueFd inner = OpenFolderAt(folder, entry.name);
    if (!inner.Valid() || !ListInto(inner.Get(), name + "/", listing)) return false;
  }
  return true;
}

bool RemoveBackupsIn(int folder) {
  const auto entries = ReadFolder(folder);
  if (!entries) return false;
  const std::string_view suffix = platform::kBackupSuffix;
  bool removed = true;
  for (const FolderEntry& entry : *entries) {
    if (entry.folder) {
      const UniqueFd inner = OpenFolderAt(folder, entry.name);
      removed = inner.Valid() && RemoveBackupsIn(inner.Get()) && removed;
    } else if (entry.name.size() > suffix.size() && entry.name.ends_with(suffix)) {
      removed = (unlinkat(folder, entry.name.c_str(), 0) == 0 || errno == ENOENT) && removed;
    }
  }
  return removed;
}

// Moves without replacing: every target of an install step is expected to be free, and a
// file found there anyway must not be lost where no undo could bring it back.
int MoveAt(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
  if (renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return errno;
  // A file system without the flag: look first, then rename.
  struct stat info {};
  if (fstatat(toFolder, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return renameat(fromFolder, from.c_str(), toFolder, to.c_str()) == 0 ? 0 : errno;
}

class StepRunner {
 public:
  StepRunner(int package, int program) : package_(package), program_(program) {}

  // 0, or the errno of the failure.
  int Run(const FileAction& action) const {
    const int at = FolderOf(action.folder);
    switch (action.kind) {
      case FileAction::Kind::kMakeFolder:
        return mkdirat(at, action.name.c_str(), 0755) == 0 ? 0 : errno;
      case FileAction::Kind::kRemoveFolder:
        return unlinkat(at, action.name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
      case FileAction::Kind::kMove:
        return MoveAt(at, action.name, FolderOf(action.toFolder), action.toName);
    }
    return EINVAL;
  }

  static std::string Describe(const FileAction& action, int error) {
    std::string text;
    switch (action.kind) {
      case FileAction::Kind::kMakeFolder:
        text = "creating " + Where(action.folder, action.name);
        break;
      case FileAction::Kind::kRemoveFolder:
        text = "removing " + Where(action.folder, action.name);
        break;
      case FileAction::Kind::kMove:
        text = "moving " + Where(action.folder, action.name) + " to " +
               Where(action.toFolder, action.toName);
        break;
    }
    return text + ": " + std::generic_category().message(error);
  }

 private:
  int FolderOf(UpdateFolder folder) const {
    return folder == UpdateFolder::kPackage ? package_ : program_;
  }
  static std::string Where(UpdateFolder folder, const std::string& name) {
    return (folder == UpdateFolder::kPackage ? "package:" : "program:") + name;
  }

  int package_;
  int program_;
};

// Renames are only lasting once the folders holding them are flushed.
void SyncProgramFolders(int program, std::span<const platform::InstallStep> steps) {
  std::set<std::string> folders{"."};
  const auto add = [&folders](UpdateFolder folder, const std::string& name) {
    const size_t slash = name.rfind('/');
    if (folder == UpdateFolder::kProgram && slash != std::string::npos) {
      folders.insert(name.substr(0, slash));
    }
  };
  for (const auto& step : steps) {
    add(step.action.folder, step.action.name);
    add(step.action.toFolder, step.action.toName);
  }
  for (const std::string& folder : folders) {
    const UniqueFd fd(openat(program, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) fsync(fd.Get());
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> LinuxUpdateFiles::ReadWhole(const std::string& path,
                                                                size_t limit) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  struct stat info {};
  if (!fd.Valid() || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uint64_t>(info.st_size) > limit) {
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  for (;;) {
    // One byte past the limit tells a file that grew since fstat.
    const size_t old = bytes.size();
    const size_t room = std::min<size_t>(size_t{1} << 20, limit + 1 - old);
    bytes.resize(old + room);
    ssize_t got = 0;
    do {
      got = read(fd.Get(), bytes.data() + old, room);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return std::nullopt;
    bytes.resize(old + static_cast<size_t>(got));
    if (bytes.size() > limit) return std::nullopt;
    if (got == 0) return bytes;
  }
}

bool LinuxUpdateFiles::Unpack(const std::string& folder,
                              std::span<const platform::UnpackItem> items, std::string& detail) {
  return UnpackInto(folder, items, detail);
}

std::optional<platform::FolderListing> LinuxUpdateFiles::List(const std::string& folder) {
  const UniqueFd root = OpenFolderAt(AT_FDCWD, folder);
  platform::FolderListing listing;
  if (!root.Valid() || !ListInto(root.Get(), "", listing)) return std::nullopt;
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return listing;
}

platform::InstallOutcome LinuxUpdateFiles::Install(const std::string& packageFolder,
                                                   const std::string& programFolder,
                                                   std::span<const platform::InstallStep> steps) {
  using Result = platform::InstallOutcome::Result;
  platform::InstallOutcome outcome;
  const UniqueFd package = OpenFolderAt(AT_FDCWD, packageFolder);
  const int packageError = errno;
  const UniqueFd program = OpenFolderAt(AT_FDCWD, programFolder);
  if (!package.Valid() || !program.Valid()) {
    outcome.result = Result::kRolledBack;
    outcome.detail = "opening " + (package.Valid() ? programFolder : packageFolder) + ": " +
                     std::generic_category().message(package.Valid() ? errno : packageError);
    return outcome;
  }
  const StepRunner runner(package.Get(), program.Get());
  for (size_t i = 0; i < steps.size(); ++i) {
    const int error = runner.Run(steps[i].action);
    if (error == 0) continue;
    outcome.result = Result::kRolledBack;
    outcome.failedStep = i;
    outcome.detail = StepRunner::Describe(steps[i].action, error);
    // Every later undo still runs after one fails: each puts back what it can.
    for (size_t k = i; k-- > 0;) {
      const int undoError = runner.Run(steps[k].undo);
      if (undoError == 0) continue;
      outcome.result = Result::kRollbackIncomplete;
      outcome.detail += "; undoing: " + StepRunner::Describe(steps[k].undo, undoError);
    }
    break;
  }
  SyncProgramFolders(program.Get(), steps);
  return outcome;
}

bool LinuxUpdateFiles::CanReplaceIn(const std::string& folder) {
  // What lies below /usr (but /usr/local) belongs to the system's package manager, even
  // for a user (root) who could write there.
  if (folder == "/usr" || (folder.starts_with("/usr/") && !folder.starts_with("/usr/local/") &&
                           folder != "/usr/local")) {
    return false;
  }
  // Writing and searching the folder is what renaming files in and out of it takes; a
  // read-only mount answers EROFS here as well.
  return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool LinuxUpdateFiles::RemoveBackups(const std::string& folder) {
  const UniqueFd root = OpenFolderAt(AT_FDCWD, folder);
  return root.Valid() && RemoveBackupsIn(root.Get());
}

bool LinuxUpdateFiles::RemoveTree(const std::string& folder) {
  return linux_os::RemoveTree(folder);
}

bool LinuxUpdateFiles::MakeEmptyFolder(const std::string& folder) {
  return linux_os::RemoveTree(folder) && mkdir(folder.c_str(), 0755) == 0;
}

}  // namespace pacetta::linux_os
