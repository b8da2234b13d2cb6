#pragma once
#include "platform/log_files.h"

namespace pacetta::linux_os {

// Log files as plain files opened with O_APPEND, one write per line, so that a crash of
// the program never leaves half a line behind.
class LinuxLogFiles final : public platform::LogFiles {
 public:
  std::unique_ptr<platform::AppendFile> OpenForAppend(const std::string& path,
                                                      platform::FileFault& fault) override;
  bool Exists(const std::string& path) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
};

// The fault class of an errno value from opening or writing a file.
platform::FileFault FileFaultOf(int error);

}  // namespace pacetta::linux_os
