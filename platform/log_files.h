#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace pacetta::platform {

// Why a file operation of the log failed. A full disk and a folder that cannot be written
// do not mend themselves between refreshes; anything else may.
enum class FileFault {
  kNone,
  kNoSpace,      // the disk or the user's quota is full
  kNotWritable,  // the folder is missing, read-only or denied
  kTransient,    // anything else: the next attempt may succeed
};

// A file opened for appending; closed when destroyed. Nothing is buffered in between.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Appends `text` with one write: it lands whole or not at all (a partial write is
  // taken back before the fault is reported).
  virtual FileFault Append(std::string_view text) = 0;
};

// The files of the monitoring log.
class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // Opens `path` for appending, creating it when absent; null with `fault` set on failure.
  virtual std::unique_ptr<AppendFile> OpenForAppend(const std::string& path, FileFault& fault) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Moves `from` to `to`, replacing `to` when it exists; false when nothing was moved.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
};

}  // namespace pacetta::platform
