#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/log_files.h"

namespace pacetta {

// A file that replaces whatever `path` held once it is complete. The text goes to a
// sibling file first and moves over `path` at the end, so a reader never sees a dump half
// written over an older one.
class ReplacingFile {
 public:
  ReplacingFile(platform::LogFiles& files, std::string path);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Opens the sibling file. Fails, with `path` left alone, when `path` cannot be written
  // (a missing or read-only folder, a folder of that name, a read-only file).
  platform::FileFault Open();
  // Appends `text` unless opening or an earlier write failed.
  void Write(std::string_view text);
  // Moves the text over `path`; the first fault of the writes or of the move.
  platform::FileFault Finish();

 private:
  platform::LogFiles& files_;
  std::string path_;
  std::string partial_;
  std::unique_ptr<platform::AppendFile> file_;
  platform::FileFault fault_ = platform::FileFault::kNone;
};

}  // namespace pacetta
