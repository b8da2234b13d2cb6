#pragma once
#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/linux/helper_socket.h"

namespace pacetta::linux_os {

// The local file a download is written into, created or replaced. Unless it is kept it is
// removed with the object, but only while the path still names the regular file this
// object made: never what took its place, never a device given as the target.
class DownloadFile {
 public:
  explicit DownloadFile(std::string path);
  ~DownloadFile();
  DownloadFile(const DownloadFile&) = delete;
  DownloadFile& operator=(const DownloadFile&) = delete;

  bool IsOpen() const { return fd_.Valid(); }
  // Why the last step failed.
  const std::string& Error() const { return error_; }
  // Writes all of `bytes`; anything less is a failure.
  bool Write(std::string_view bytes);
  // Closes the file and keeps it; false when closing reports a late write failure.
  bool Keep();

 private:
  void Fail(const char* what);

  const std::string path_;
  UniqueFd fd_;
  bool ours_ = false;  // a regular file, identified by device and inode
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool kept_ = false;
  std::string error_;
};

}  // namespace pacetta::linux_os
