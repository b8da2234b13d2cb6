#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pacetta::platform {

// The ending of the name a replaced program file keeps until the next update.
inline constexpr std::string_view kBackupSuffix = ".bak";

// One file or folder of a checked update package, to be written into the package folder.
// The name is relative and '/'-separated; `data` points into the caller's archive.
struct UnpackItem {
  std::string_view name;
  bool folder = false;
  bool executable = false;
  std::span<const uint8_t> data;
};

// The two folders an install works in. They must lie on one volume: files move between
// them by renaming.
enum class UpdateFolder { kPackage, kProgram };

// One change of an install; names are relative to their folder.
struct FileAction {
  enum class Kind { kMakeFolder, kRemoveFolder, kMove };
  Kind kind = Kind::kMove;
  UpdateFolder folder = UpdateFolder::kProgram;  // where `name` is: a move's source
  std::string name;
  UpdateFolder toFolder = UpdateFolder::kProgram;  // a move's target
  std::string toName;
};

// A step of an install, with the action that takes it back.
struct InstallStep {
  FileAction action;
  FileAction undo;
};

// What lies below a folder, by relative name; links and special files count as files.
struct FolderListing {
  std::vector<std::string> files;
  std::vector<std::string> folders;
};

struct InstallOutcome {
  enum class Result {
    kInstalled,
    kRolledBack,          // a step failed; every completed step was taken back
    kRollbackIncomplete,  // a step failed, and so did taking one back: see `detail`
  };
  Result result = Result::kInstalled;
  size_t failedStep = 0;  // when not installed
  std::string detail;     // what failed and why, for the log
};

// The files of installing an update package.
class UpdateFiles {
 public:
  virtual ~UpdateFiles() = default;
  // The content of the regular file at `path`; nullopt when it cannot be read or holds
  // more than `limit` bytes.
  virtual std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path, size_t limit) = 0;
  // Clears `folder` (whatever an earlier run left there, links included) and writes
  // `items` into it, never following a link and never writing outside it. Files are
  // flushed to disk. False with `detail` set on any failure.
  virtual bool Unpack(const std::string& folder, std::span<const UnpackItem> items,
                      std::string& detail) = 0;
  // What lies below `folder`, without following links; nullopt when it cannot be read.
  virtual std::optional<FolderListing> List(const std::string& folder) = 0;
  // Carries out `steps` in order. At the first failure the completed steps are taken back
  // in reverse order, leaving both folders as they were.
  virtual InstallOutcome Install(const std::string& packageFolder, const std::string& programFolder,
                                 std::span<const InstallStep> steps) = 0;
  // Deletes every "*.bak" file below `folder`; false when one stays.
  virtual bool RemoveBackups(const std::string& folder) = 0;
  // Deletes `folder` and all below it without following links; true when it is gone.
  virtual bool RemoveTree(const std::string& folder) = 0;
  // `folder` exists and is empty afterwards, whatever an earlier run left there (a link
  // there is removed, never followed); false when that cannot be made so.
  virtual bool MakeEmptyFolder(const std::string& folder) = 0;
  // Whether this user may add, replace and remove files in `folder`: false where the
  // program was installed by the system's package manager.
  virtual bool CanReplaceIn(const std::string& folder) = 0;
};

}  // namespace pacetta::platform
