#include "platform/linux/ftp/download_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace pacetta::linux_os {

DownloadFile::DownloadFile(std::string path) : path_(std::move(path)) {
  fd_ = UniqueFd(open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd_.Valid()) {
    Fail("Cannot create");
    return;
  }
  struct stat made {};
  if (fstat(fd_.Get(), &made) == 0 && S_ISREG(made.st_mode)) {
    ours_ = true;
    device_ = made.st_dev;
    inode_ = made.st_ino;
  }
}

DownloadFile::~DownloadFile() {
  if (kept_) return;
  fd_.Reset();
  struct stat now {};
  if (ours_ && lstat(path_.c_str(), &now) == 0 && now.st_dev == device_ && now.st_ino == inode_) {
    unlink(path_.c_str());
  }
}

void DownloadFile::Fail(const char* what) {
  error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
}

bool DownloadFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_.Get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      Fail("Cannot write");
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool DownloadFile::Keep() {
  // Some file systems report a failed write only when the file is closed.
  if (close(fd_.Release()) != 0 && errno != EINTR) {
    Fail("Cannot write");
    return false;
  }
  kept_ = true;
  return true;
}

}  // namespace pacetta::linux_os
