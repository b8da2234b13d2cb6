#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pacetta::platform {

// Whether the session protects its control and data connections with TLS (explicit, after
// AUTH TLS on the ordinary port).
enum class FtpTls {
  kPrefer,   // when the server offers it, else plain FTP
  kRequire,  // a server without TLS is an error
  kNever,
};

// Bounds that keep every operation from hanging on a dead or silent server.
struct FtpTimeouts {
  // Reaching the server, the TLS handshake and the login.
  std::chrono::milliseconds connect{20000};
  // How long a reply or a transfer may make no progress at all. A transfer's progress is
  // judged by its speed over the last few seconds, so a stall ends that much later.
  std::chrono::seconds stall{60};
};

struct FtpServer {
  std::string host;
  uint16_t port = 21;
  std::string user;
  std::string password;
  FtpTls tls = FtpTls::kPrefer;
  FtpTimeouts timeouts;
  // Certificates to trust instead of the system's store (a PEM file); empty: the system's.
  std::string caFile;
  // Once another thread sets it, every operation of the session ends at once (within about
  // a second, also while connecting or stalled) as an error: the program is ending.
  const std::atomic<bool>* abandon = nullptr;
};

enum class FtpOutcome { kOk, kCancelled, kError };

struct FtpResult {
  FtpOutcome outcome = FtpOutcome::kOk;
  // For kError: the server's reply line when the server refused (code and text), else
  // what went wrong on this side or on the way.
  std::string error;
  bool Ok() const { return outcome == FtpOutcome::kOk; }
};

struct FtpFile {
  std::string name;
  uint64_t size = 0;
};

struct FtpListing {
  FtpResult result;
  // The plain files whose names end with the suffix asked for, in the server's order.
  std::vector<FtpFile> files;
  // Names the server listed that are no plain base name (a path, one holding "..", a control
  // character, longer than kMaxFtpName), with control bytes shown as \xNN; never used.
  std::vector<std::string> rejected;
};

// The longest name taken from a server, in bytes.
inline constexpr std::size_t kMaxFtpName = 259;

// What reading a file does when it holds more than was asked for.
enum class FtpOverflow {
  kError,     // the read fails
  kTruncate,  // the first bytes are kept and `truncated` says so
};

struct FtpRead {
  FtpResult result;
  std::string bytes;
  bool truncated = false;
};

// Told the bytes of the file received so far, after each piece is written.
using FtpProgress = std::function<void(uint64_t bytesSoFar)>;

// One login on one server: the connection is made by the first operation and kept for
// the next ones. Paths are relative to the folder the login starts in. One thread at a
// time.
class FtpSession {
 public:
  virtual ~FtpSession() = default;
  // The plain files of `folder` whose names end with `suffix` (ASCII case ignored), with
  // their sizes.
  virtual FtpListing List(const std::string& folder, const std::string& suffix) = 0;
  // The content of `path`, at most `maxBytes` of it.
  virtual FtpRead Read(const std::string& path, std::size_t maxBytes, FtpOverflow overflow) = 0;
  // Writes `path` into the file `localPath`, created or replaced. `cancel`, when given, is
  // watched throughout: once it is non-zero it is reset to 0 and the download ends as
  // cancelled. Unless the outcome is kOk the local file is removed.
  virtual FtpResult Download(const std::string& path, const std::string& localPath,
                             const FtpProgress& progress, std::atomic<int>* cancel) = 0;
};

class FtpClient {
 public:
  virtual ~FtpClient() = default;
  // Nothing is sent before the session's first operation.
  virtual std::unique_ptr<FtpSession> Open(const FtpServer& server) = 0;
  // Whether the machine has a network at all: an interface other than the loopback that is
  // up, has a link and an address beyond its own link.
  virtual bool IsConnected() = 0;
};

}  // namespace pacetta::platform
