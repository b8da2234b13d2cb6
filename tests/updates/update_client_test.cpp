// The updates module's operations against a server the test holds in memory and the real
// Linux file side in a program folder of the test's own.
#include "addins/update_client/update_client.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "platform/linux/update_files.h"
#include "tests/test_support/temp_folder.h"
#include "tests/updates/test_packages.h"

namespace pacetta::addins {
namespace {

using updates::testing::Bytes;
using updates::testing::Snapshot;
using updates::testing::TarWriter;
using updates::testing::TestSigner;
using updates::testing::WriteTextFile;

constexpr uint32_t kRunning = 0x02030500u;

std::string VersionFile(uint32_t lowest, uint32_t brings) {
  std::string bytes;
  for (uint32_t value : {lowest, brings}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xff);
  }
  return bytes;
}

// The update server's folder: file name -> content, listed in insertion order.
class MemoryServer final : public platform::FtpClient {
 public:
  std::vector<std::pair<std::string, std::string>> files;
  // Set by the test to cut a download short: the bytes sent before the cancel flag rises.
  std::optional<size_t> cancelAfter;

  std::unique_ptr<platform::FtpSession> Open(const platform::FtpServer& server) override;
  bool IsConnected() override { return true; }

  const std::string* Find(const std::string& path) const {
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const auto& [fileName, content] : files) {
      if (fileName == name) return &content;
    }
    return nullptr;
  }
};

class MemorySession final : public platform::FtpSession {
 public:
  explicit MemorySession(MemoryServer& server) : server_(server) {}
  platform::FtpListing List(const std::string&, const std::string& suffix) override {
    platform::FtpListing listing;
    for (const auto& [name, content] : server_.files) {
      if (name.ends_with(suffix)) listing.files.push_back({name, content.size()});
    }
    return listing;
  }
  platform::FtpRead Read(const std::string& path, size_t maxBytes, platform::FtpOverflow) override {
    platform::FtpRead read;
    const std::string* content = server_.Find(path);
    if (!content) {
      read.result = {platform::FtpOutcome::kError, "550 No such file."};
      return read;
    }
    read.bytes = content->substr(0, maxBytes);
    read.truncated = content->size() > maxBytes;
    return read;
  }
  platform::FtpResult Download(const std::string& path, const std::string& localPath,
                               const platform::FtpProgress& progress,
                               std::atomic<int>* cancel) override {
    const std::string* content = server_.Find(path);
    if (!content) return {platform::FtpOutcome::kError, "550 No such file."};
    std::ofstream out(localPath, std::ios::binary);
    for (size_t sent = 0; sent < content->size(); sent += 1000) {
      if (server_.cancelAfter && sent >= *server_.cancelAfter) cancel->store(1);
      if (cancel && cancel->exchange(0) != 0) {
        out.close();
        std::remove(localPath.c_str());
        return {platform::FtpOutcome::kCancelled, {}};
      }
      out << content->substr(sent, 1000);
      out.flush();
      if (progress) progress(std::min(content->size(), sent + 1000));
    }
    return {};
  }

 private:
  MemoryServer& server_;
};

std::unique_ptr<platform::FtpSession> MemoryServer::Open(const platform::FtpServer&) {
  return std::make_unique<MemorySession>(*this);
}

class TestHost final : public UpdateHostWindow {
 public:
  TestHost(std::string program, Bytes key) : program_(std::move(program)), key_(std::move(key)) {}
  std::vector<std::pair<uint64_t, int64_t>> progress;
  MemoryServer server;

  int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) override {
    if (message == kHostUpdateProgress) progress.emplace_back(wParam, lParam);
    return 0;
  }
  void Sleep(uint32_t) override {}
  platform::FtpClient& Ftp() override { return server; }
  platform::UpdateFiles& Files() override { return files_; }
  platform::FtpServer ServerLogin() override { return {}; }
  std::string ProgramFolder() override { return program_; }
  std::span<const uint8_t> PublicKey() override { return key_; }

 private:
  std::string program_;
  Bytes key_;
  linux_os::LinuxUpdateFiles files_;
};

class UpdateClientTest : public ::testing::Test {
 protected:
  UpdateClientTest() {
    WriteTextFile(program_ + "/pacetta", "old program");
    client_.SetHostWindow(&host_);
    client_.SetServer("updates.example", "/pacetta/");
    client_.SetCurrentVersion(kRunning);
  }
  // Publishes update `name` for programs from `lowest`, bringing `brings`, with its
  // package signed by `signer`.
  void Publish(const std::string& name, uint32_t lowest, uint32_t brings, const TestSigner& signer,
               const std::string& description = "Faster start.") {
    const std::string archive = TarWriter().File("pacetta", "new program", 0755).Finish();
    const Bytes package = updates::testing::Gzip(archive);
    const Bytes signature = signer.Sign(package);
    host_.server.files.push_back({name + ".ver", VersionFile(lowest, brings)});
    host_.server.files.push_back({name + ".txt", description});
    host_.server.files.push_back({name + ".tar.gz", std::string(package.begin(), package.end())});
    host_.server.files.push_back(
        {name + ".tar.gz.sig", std::string(signature.begin(), signature.end())});
  }
  std::string Chosen() {
    if (client_.CheckForUpdate() != 0 || client_.RetrieveUpdateInfo() != 0) return "(none)";
    const char* remote = nullptr;
    client_.GetFiles(&remote, nullptr);
    return remote;
  }

  pacetta::testing::TempFolder folder_;
  std::string program_ = [this] {
    const std::string path = folder_.File("program");
    mkdir(path.c_str(), 0755);
    return path;
  }();
  TestSigner publisher_{3};
  TestHost host_{program_, publisher_.PublicKey()};
  UpdateClient client_;
};

TEST_F(UpdateClientTest, TheNewestUpdateThatAppliesToTheRunningVersionIsChosen) {
  struct Case {
    std::vector<std::tuple<const char*, uint32_t, uint32_t>> offers;
    std::string chosen;
  };
  const std::vector<Case> cases = {
      {{{"a", 0x02030000u, 0x02030600u}, {"b", 0x02030500u, 0x02030700u}}, "b.tar.gz"},
      {{{"a", 0x02030000u, 0x02030600u}, {"b", 0x02030600u, 0x02040000u}}, "a.tar.gz"},
      {{{"a", 0x02030000u, 0x02030500u}}, "(none)"},
      {{{"a", 0x02030000u, 0x02030600u}, {"b", 0x02030000u, 0x02030600u}}, "a.tar.gz"},
      {{}, "(none)"},
  };
  for (const Case& c : cases) {
    host_.server.files.clear();
    for (const auto& [name, lowest, brings] : c.offers) Publish(name, lowest, brings, publisher_);
    EXPECT_EQ(Chosen(), c.chosen);
  }
  host_.server.files.clear();
  EXPECT_EQ(client_.CheckForUpdate(), 1) << "an empty folder is no error";
}

TEST_F(UpdateClientTest, AnUpdateIsDescribedDownloadedAndInstalledWithBackups) {
  Publish("pacetta-2.3.6", 0x02030000u, 0x02030600u, publisher_, std::string(5000, 'd'));
  ASSERT_EQ(client_.CheckForUpdate(), 0);
  ASSERT_EQ(client_.RetrieveUpdateInfo(), 0);
  EXPECT_EQ(std::string(client_.GetDescription()).size(), 4095u);
  const char* remote = nullptr;
  const char* local = nullptr;
  client_.GetFiles(&remote, &local);
  EXPECT_EQ(std::string(local), program_ + "/.update-download/pacetta-2.3.6.tar.gz");
  // A folder left over from an earlier attempt is no obstacle.
  mkdir((program_ + "/.update-download").c_str(), 0755);
  WriteTextFile(program_ + "/.update-download/partial", "x");

  std::atomic<int> cancel{0};
  ASSERT_EQ(client_.Download(&cancel), 0) << client_.GetErrorText();
  ASSERT_FALSE(host_.progress.empty());
  EXPECT_EQ(host_.progress.back(), (std::pair<uint64_t, int64_t>{14, 100}));
  ASSERT_EQ(client_.Install(), 0) << client_.GetErrorText();
  EXPECT_EQ(Snapshot(program_),
            (std::map<std::string, std::string>{{"pacetta", "new program (x)"},
                                                {"pacetta.bak", "old program"}}));
  EXPECT_EQ(client_.RemoveBackups(), 0);
  EXPECT_EQ(Snapshot(program_),
            (std::map<std::string, std::string>{{"pacetta", "new program (x)"}}));
}

TEST_F(UpdateClientTest, ACancelledOrForeignDownloadLeavesNothingBehind) {
  Publish("pacetta-2.3.6", 0x02030000u, 0x02030600u, TestSigner(9));
  ASSERT_EQ(client_.CheckForUpdate(), 0);
  ASSERT_EQ(client_.RetrieveUpdateInfo(), 0);
  const auto before = Snapshot(program_);

  std::atomic<int> cancel{0};
  host_.server.cancelAfter = 0;
  EXPECT_EQ(client_.Download(&cancel), 1);
  EXPECT_EQ(cancel.load(), 0);
  EXPECT_EQ(Snapshot(program_), before);

  // Signed with a key that is not the publisher's: refused before any install.
  host_.server.cancelAfter.reset();
  EXPECT_LT(client_.Download(&cancel), 0);
  EXPECT_NE(std::string(client_.GetErrorText()).find("refused"), std::string::npos)
      << client_.GetErrorText();
  EXPECT_EQ(Snapshot(program_), before);
  EXPECT_LT(client_.Install(), 0);
  EXPECT_EQ(Snapshot(program_), before);
}

TEST_F(UpdateClientTest, NamesFromTheSettingsWithAFolderPartAreRefused) {
  for (const char* remote : {"../evil.tar.gz", "a/b.tar.gz", "/etc/x.tar.gz", "..", ""}) {
    client_.SetFiles(remote, "/tmp/elsewhere");
    std::atomic<int> cancel{0};
    EXPECT_LT(client_.Download(&cancel), 0) << remote;
    EXPECT_LT(client_.Install(), 0) << remote;
  }
}

}  // namespace
}  // namespace pacetta::addins
