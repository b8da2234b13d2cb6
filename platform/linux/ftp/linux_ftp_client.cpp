#include "platform/linux/ftp/linux_ftp_client.h"

#include "platform/linux/ftp/linux_ftp_session.h"
#include "platform/linux/ftp/network_interfaces.h"

namespace pacetta::linux_os {

std::unique_ptr<platform::FtpSession> LinuxFtpClient::Open(const platform::FtpServer& server) {
  return std::make_unique<LinuxFtpSession>(server);
}

bool LinuxFtpClient::IsConnected() {
  return MachineReachesOut();
}

}  // namespace pacetta::linux_os
