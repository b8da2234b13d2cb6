#include "platform/linux/linux_log_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace pacetta::linux_os {
namespace {

class LinuxAppendFile final : public platform::AppendFile {
 public:
  explicit LinuxAppendFile(int fd) : fd_(fd) {}
  ~LinuxAppendFile() override { close(fd_); }
  LinuxAppendFile(const LinuxAppendFile&) = delete;
  LinuxAppendFile& operator=(const LinuxAppendFile&) = delete;

  platform::FileFault Append(std::string_view text) override {
    struct stat before {};
    const bool sized = fstat(fd_, &before) == 0;
    ssize_t written = 0;
    do {
      written = write(fd_, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(text.size())) return platform::FileFault::kNone;
    const int error = written < 0 ? errno : ENOSPC;  // a short write means the disk filled
    // Take a partial line back, so that the file only ever holds whole lines.
    if (written > 0 && sized && S_ISREG(before.st_mode)) {
      if (ftruncate(fd_, before.st_size) != 0) {
        // Nothing more can be done; the fault below still stops the log.
      }
    }
    return FileFaultOf(error);
  }

 private:
  int fd_;
};

}  // namespace

platform::FileFault FileFaultOf(int error) {
  switch (error) {
    case 0:
      return platform::FileFault::kNone;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return platform::FileFault::kNoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
      return platform::FileFault::kNotWritable;
    default:
      return platform::FileFault::kTransient;
  }
}

std::unique_ptr<platform::AppendFile> LinuxLogFiles::OpenForAppend(const std::string& path,
                                                                   platform::FileFault& fault) {
  int fd = -1;
  do {
    fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    fault = FileFaultOf(errno);
    return nullptr;
  }
  fault = platform::FileFault::kNone;
  // No fsync at close: the line is safe from a crash of the program once written, and a
  // forced flush every refresh would keep a laptop's disk awake.
  return std::make_unique<LinuxAppendFile>(fd);
}

bool LinuxLogFiles::Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool LinuxLogFiles::MoveReplacing(const std::string& from, const std::string& to) {
  // Both names lie in the program's folder, so a rename never crosses a volume.
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace pacetta::linux_os
