#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/ftp/linux_ftp_client.h"
#include "platform/linux/helper_socket.h"
#include "tests/platform_linux/ftp_server_rig.h"

namespace pacetta::linux_os {
namespace {

namespace fs = std::filesystem;
using platform::FtpOutcome;
using platform::FtpOverflow;
using platform::FtpTls;
using testing::FtpServerRig;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using testing::VariedBytes;

// Every session here talks to a server the test starts.
class FtpSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FtpServerRig::Available()) GTEST_SKIP() << "python3-pyftpdlib is missing";
  }
};

std::string FileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

std::map<std::string, uint64_t> Sizes(const std::vector<platform::FtpFile>& files) {
  std::map<std::string, uint64_t> sizes;
  for (const auto& file : files) sizes[file.name] = file.size;
  return sizes;
}

TEST_F(FtpSession, ListsThePlainFilesOfAFolderWithTheirSizes) {
  // An older server has no machine listing: names first, then each file's size. The TLS
  // server lets nothing happen without TLS.
  for (const char* mode : {"plain", "older", "tls"}) {
    SCOPED_TRACE(mode);
    FtpServerRig rig(mode);
    ASSERT_TRUE(rig.Running()) << rig.Log();
    rig.Put("updates/core.ver", "12345678");
    rig.Put("updates/Setup Tool.VER", "12345");
    rig.Put("updates/none.ver", "");
    rig.Put("updates/notes.txt", "text");
    rig.MakeFolder("updates/folder.ver");
    rig.Put("elsewhere.ver", "1");

    LinuxFtpClient client;
    const auto session = client.Open(rig.Server());
    const platform::FtpListing listing = session->List("updates", ".ver");
    ASSERT_TRUE(listing.result.Ok()) << listing.result.error << rig.Log();
    EXPECT_EQ(Sizes(listing.files), (std::map<std::string, uint64_t>{
                                        {"core.ver", 8}, {"Setup Tool.VER", 5}, {"none.ver", 0}}));
    EXPECT_THAT(listing.rejected, IsEmpty());
  }
}

TEST_F(FtpSession, ReadsAFileUpToTheLimitAskedFor) {
  FtpServerRig rig("plain");
  ASSERT_TRUE(rig.Running()) << rig.Log();
  // Line ends and zeros survive only a binary transfer.
  const std::string version("\x01\r\n\x00\x7f\xff\n\r", 8);
  const std::string about = VariedBytes(5000);
  rig.Put("version.ver", version);
  rig.Put("about.txt", about);

  // One session throughout: a cut-off or refused read leaves it usable.
  LinuxFtpClient client;
  const auto session = client.Open(rig.Server());
  const struct {
    const char* path;
    std::size_t limit;
    FtpOverflow overflow;
    bool ok;
    std::string bytes;
    bool truncated;
    const char* error;
  } cases[] = {
      {"version.ver", 8, FtpOverflow::kError, true, version, false, ""},
      {"about.txt", 4095, FtpOverflow::kTruncate, true, about.substr(0, 4095), true, ""},
      {"about.txt", 4095, FtpOverflow::kError, false, "", false, "larger than 4095 bytes"},
      {"about.txt", 5000, FtpOverflow::kError, true, about, false, ""},
      {"about.txt", 5000, FtpOverflow::kTruncate, true, about, false, ""},
      {"missing.ver", 8, FtpOverflow::kError, false, "", false, "550 "},
      {"version.ver", 100, FtpOverflow::kTruncate, true, version, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " at most " + std::to_string(c.limit));
    const platform::FtpRead read = session->Read(c.path, c.limit, c.overflow);
    EXPECT_EQ(read.result.Ok(), c.ok) << read.result.error;
    EXPECT_EQ(read.bytes, c.bytes);
    EXPECT_EQ(read.truncated, c.truncated);
    EXPECT_THAT(read.result.error, HasSubstr(c.error));
  }
}

TEST_F(FtpSession, DownloadsIntoTheLocalFileWithProgressUpToTheFullSize) {
  // The TLS server lets nothing happen without TLS: preferring it, the session has used it.
  for (const char* mode : {"plain", "tls"}) {
    SCOPED_TRACE(mode);
    FtpServerRig rig(mode);
    ASSERT_TRUE(rig.Running()) << rig.Log();
    const std::string package = VariedBytes(3 << 20);
    rig.Put("packages/update.pkg", package);
    const std::string local = rig.LocalPath("update.pkg");
    std::ofstream(local) << "an older download, to be replaced";

    LinuxFtpClient client;
    const auto session = client.Open(rig.Server());
    std::vector<uint64_t> progress;
    std::atomic<int> cancel{0};
    const platform::FtpResult result = session->Download(
        "packages/update.pkg", local, [&](uint64_t bytes) { progress.push_back(bytes); }, &cancel);
    ASSERT_TRUE(result.Ok()) << result.error << rig.Log();
    EXPECT_TRUE(FileText(local) == package);
    ASSERT_GT(progress.size(), 1u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end(), std::less_equal<>()));
    EXPECT_EQ(progress.back(), package.size());
    EXPECT_EQ(cancel.load(), 0);
  }
}

TEST_F(FtpSession, ASessionThatMustNotHappenFailsWithTheReasonAndNoFile) {
  FtpServerRig plain("plain");
  FtpServerRig tls("tls");
  ASSERT_TRUE(plain.Running()) << plain.Log();
  ASSERT_TRUE(tls.Running()) << tls.Log();
  plain.Put("data.bin", "secret");
  tls.Put("data.bin", "secret");

  platform::FtpServer wrongPassword = plain.Server();
  wrongPassword.password = "guess";
  platform::FtpServer untrusted = tls.Server();
  untrusted.caFile.clear();  // the system's store knows nothing of the test's certificate
  const struct {
    const char* what;
    platform::FtpServer server;
    const char* error;
  } cases[] = {
      {"TLS required of a server without it", plain.Server(FtpTls::kRequire), "AUTH"},
      {"a certificate nobody vouches for", untrusted, "certificate"},
      {"the wrong password", wrongPassword, "530 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LinuxFtpClient client;
    const std::string local = plain.LocalPath("data.bin");
    const platform::FtpResult result =
        client.Open(c.server)->Download("data.bin", local, nullptr, nullptr);
    EXPECT_EQ(result.outcome, FtpOutcome::kError);
    EXPECT_THAT(result.error, HasSubstr(c.error));
    EXPECT_FALSE(fs::exists(local));
  }
}

TEST_F(FtpSession, AnUnfinishedDownloadEndsPromptlyAndLeavesNoFile) {
  FtpServerRig rig("hostile");
  ASSERT_TRUE(rig.Running()) << rig.Log();
  constexpr std::size_t kSize = 4 << 20;
  rig.Put("big.bin", VariedBytes(kSize));
  rig.Put("cut.bin", VariedBytes(kSize));    // the server hangs up halfway through
  rig.Put("stall.bin", VariedBytes(kSize));  // the server falls silent halfway through

  const struct {
    const char* what;
    const char* remote;
    std::string local;
    uint64_t cancelAt;  // bytes after which the user cancels; 0: never
    FtpOutcome outcome;
    const char* error;
  } cases[] = {
      {"cancelled by the user", "big.bin", rig.LocalPath("a"), 64 << 10, FtpOutcome::kCancelled,
       ""},
      {"the server gone mid-file", "cut.bin", rig.LocalPath("b"), 0, FtpOutcome::kError, ""},
      {"the server silent mid-file", "stall.bin", rig.LocalPath("c"), 0, FtpOutcome::kError, ""},
      // A device is never removed, whatever happens to the download.
      {"a full disk", "big.bin", "/dev/full", 0, FtpOutcome::kError,
       "Cannot write /dev/full: No space left on device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    platform::FtpServer server = rig.Server();
    server.timeouts.stall = std::chrono::seconds(2);
    LinuxFtpClient client;
    const auto session = client.Open(server);
    std::atomic<int> cancel{0};
    uint64_t received = 0;
    const auto started = std::chrono::steady_clock::now();
    const platform::FtpResult result = session->Download(
        c.remote, c.local,
        [&](uint64_t bytes) {
          received = bytes;
          if (c.cancelAt && bytes >= c.cancelAt) cancel = 1;
        },
        &cancel);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(result.outcome, c.outcome) << result.error;
    EXPECT_THAT(result.error, HasSubstr(c.error));
    EXPECT_EQ(result.error.empty(), c.outcome != FtpOutcome::kError);
    EXPECT_LT(received, kSize);
    EXPECT_EQ(cancel.load(), 0);
    EXPECT_FALSE(fs::is_regular_file(c.local));
  }
  EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST_F(FtpSession, NamesThatLeaveTheFolderAreSkippedAndReported) {
  FtpServerRig rig("hostile");
  ASSERT_TRUE(rig.Running()) << rig.Log();
  LinuxFtpClient client;
  const platform::FtpListing listing = client.Open(rig.Server())->List("", ".ver");
  ASSERT_TRUE(listing.result.Ok()) << listing.result.error << rig.Log();
  // The longest name still taken: 259 bytes.
  const std::string longest = std::string(255, 'e') + ".ver";
  EXPECT_EQ(Sizes(listing.files), (std::map<std::string, uint64_t>{{"good.ver", 8}, {longest, 8}}));
  EXPECT_THAT(
      listing.rejected,
      UnorderedElementsAre("../up.ver", "sub/inner.ver", "back\\slash.ver", "..", "bell\\x07.ver",
                           "nul\\x00.ver", std::string(256, 'a') + ".ver"));
}

// A local port, closed again: nothing listens there.
uint16_t ClosedPort() {
  UniqueFd probe(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// A listener on a local port that never accepts: the kernel completes a connection, no
// greeting comes. Port 0 when it could not be set up.
struct SilentListener {
  SilentListener() : listening(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listening.Get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        listen(listening.Get(), 4) == 0 &&
        getsockname(listening.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
  }
  UniqueFd listening;
  uint16_t port = 0;
};

TEST(FtpClient, AnUnreachableServerFailsWithinTheConnectBound) {
  const SilentListener silent;
  ASSERT_NE(silent.port, 0);

  const struct {
    const char* what;
    uint16_t port;
  } cases[] = {{"nothing listening", ClosedPort()}, {"no greeting", silent.port}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    platform::FtpServer server;
    server.host = "127.0.0.1";
    server.port = c.port;
    server.timeouts.connect = std::chrono::seconds(1);
    server.timeouts.stall = std::chrono::seconds(120);  // the connect bound alone must end it
    LinuxFtpClient client;
    const auto started = std::chrono::steady_clock::now();
    const platform::FtpRead read = client.Open(server)->Read("x.ver", 8, FtpOverflow::kError);
    EXPECT_EQ(read.result.outcome, FtpOutcome::kError);
    EXPECT_FALSE(read.result.error.empty());
    // Far below libcurl's own bounds of minutes, generous for a loaded machine.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  }
}

TEST(FtpClient, AnAbandonedSessionEndsAtOnceWhateverItsBounds) {
  // The server never greets: only the abandon flag can end the wait early.
  const SilentListener silent;
  ASSERT_NE(silent.port, 0);

  std::atomic<bool> abandon{true};
  platform::FtpServer server;
  server.host = "127.0.0.1";
  server.port = silent.port;
  server.timeouts.connect = std::chrono::seconds(120);
  server.timeouts.stall = std::chrono::seconds(120);
  server.abandon = &abandon;
  LinuxFtpClient client;
  const auto started = std::chrono::steady_clock::now();
  const platform::FtpListing listing = client.Open(server)->List("/", ".ver");
  EXPECT_EQ(listing.result.outcome, FtpOutcome::kError);
  EXPECT_NE(listing.result.error.find("abandoned"), std::string::npos) << listing.result.error;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

}  // namespace
}  // namespace pacetta::linux_os
