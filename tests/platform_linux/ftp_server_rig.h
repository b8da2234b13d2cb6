#pragma once
#include <optional>
#include <string>

#include "platform/ftp_client.h"
#include "tests/platform_linux/reporting_daemon.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// An FTP server of the test's own on 127.0.0.1 (ftp_test_server.py), serving a fresh
// folder to one user. In TLS mode it has a certificate made for it and insists on TLS for
// the login and every transfer, so a session that gets through has used TLS.
class FtpServerRig {
 public:
  // `mode`: plain, older (no MLSD), tls, hostile or cutting (see the script). The one
  // account is `user` with `password`.
  explicit FtpServerRig(const std::string& mode, std::string user = "updater",
                        std::string password = "open sesame");

  static bool Available();
  bool Running() const { return daemon_ && !daemon_->Report().empty(); }
  // Where to reach it with the right credentials; TLS as asked, trusting its certificate.
  platform::FtpServer Server(platform::FtpTls tls = platform::FtpTls::kPrefer) const;
  // Puts `bytes` at `path` below the served folder, making the folders on the way.
  void Put(const std::string& path, const std::string& bytes) const;
  void MakeFolder(const std::string& path) const;
  // A path outside the served folder for a download to land in.
  std::string LocalPath(const std::string& name) const { return folder_.File("local-" + name); }
  // The server's log, for a failure's message.
  std::string Log() const;

 private:
  TempFolder folder_;
  std::string user_;
  std::string password_;
  std::string certificate_;
  std::optional<ReportingDaemon> daemon_;
};

// `size` bytes of every value, line ends and zeros included, in an order that repeats
// only after long stretches: a transfer that alters, drops or repeats any is caught.
std::string VariedBytes(std::size_t size);

}  // namespace pacetta::testing
