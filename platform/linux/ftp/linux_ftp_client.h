#pragma once
#include "platform/ftp_client.h"

namespace pacetta::linux_os {

// FTP and FTPS over libcurl; the network check from the machine's interfaces.
class LinuxFtpClient final : public platform::FtpClient {
 public:
  std::unique_ptr<platform::FtpSession> Open(const platform::FtpServer& server) override;
  bool IsConnected() override;
};

}  // namespace pacetta::linux_os
