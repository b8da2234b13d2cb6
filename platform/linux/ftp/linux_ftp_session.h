#pragma once
#include "platform/ftp_client.h"
#include "platform/linux/ftp/ftp_handle.h"
#include "platform/linux/ftp/ftp_listing.h"

namespace pacetta::linux_os {

// A session over libcurl.
class LinuxFtpSession final : public platform::FtpSession {
 public:
  explicit LinuxFtpSession(const platform::FtpServer& server) : handle_(server) {}

  platform::FtpListing List(const std::string& folder, const std::string& suffix) override;
  platform::FtpRead Read(const std::string& path, std::size_t maxBytes,
                         platform::FtpOverflow overflow) override;
  platform::FtpResult Download(const std::string& path, const std::string& localPath,
                               const platform::FtpProgress& progress,
                               std::atomic<int>* cancel) override;

 private:
  // The raw listing of `folder`: a machine listing, or the names alone from a server that
  // has no MLSD.
  platform::FtpResult ListEntries(const std::string& folder, std::vector<ListedEntry>& entries);

  FtpHandle handle_;
};

}  // namespace pacetta::linux_os
