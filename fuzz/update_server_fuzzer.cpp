// What the update client reads from the update server: the folder listing (a machine
// listing or a name listing, screened as the FTP session screens it), the version files
// it names and the chosen update's description.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "addins/update_client/update_client.h"
#include "fuzz/fuzz_support.h"
#include "platform/linux/ftp/ftp_listing.h"

namespace pacetta::fuzz {
namespace {

constexpr uint32_t kRunningVersion = 0x02030500;
constexpr const char* kProgramFolder = "/opt/pacetta";

// The server's answers, all from the input.
struct ServerFiles {
  bool machineListing = true;
  std::string listing;
  std::string versionBytes;  // 8 bytes a version file, in the order they are read
  std::string description;
};

class FuzzSession final : public platform::FtpSession {
 public:
  explicit FuzzSession(const ServerFiles& files) : files_(files) {}

  platform::FtpListing List(const std::string&, const std::string& suffix) override {
    const auto entries = files_.machineListing ? linux_os::ParseMachineListing(files_.listing)
                                               : linux_os::ParseNameListing(files_.listing);
    linux_os::ScreenedEntries screened = linux_os::ScreenEntries(entries, suffix);
    platform::FtpListing listing;
    listing.rejected = std::move(screened.rejected);
    for (linux_os::ListedEntry& entry : screened.accepted) {
      // A name listing leaves the size to a question the server answers by the name.
      listing.files.push_back({std::move(entry.name), entry.size.value_or(entry.name.size())});
    }
    return listing;
  }
  platform::FtpRead Read(const std::string& path, size_t maxBytes, platform::FtpOverflow) override {
    platform::FtpRead read;
    const std::string& content = path.ends_with(".ver") ? NextVersionFile() : files_.description;
    read.bytes = content.substr(0, maxBytes);
    read.truncated = content.size() > maxBytes;
    return read;
  }
  platform::FtpResult Download(const std::string&, const std::string&, const platform::FtpProgress&,
                               std::atomic<int>*) override {
    return {platform::FtpOutcome::kError, "not served"};
  }

 private:
  const std::string& NextVersionFile() {
    version_ = files_.versionBytes.size() > versionAt_ ? files_.versionBytes.substr(versionAt_, 8)
                                                       : std::string();
    versionAt_ += 8;
    return version_;
  }

  const ServerFiles& files_;
  size_t versionAt_ = 0;
  std::string version_;
};

class FuzzServer final : public platform::FtpClient {
 public:
  explicit FuzzServer(const ServerFiles& files) : files_(files) {}
  std::unique_ptr<platform::FtpSession> Open(const platform::FtpServer&) override {
    return std::make_unique<FuzzSession>(files_);
  }
  bool IsConnected() override { return true; }

 private:
  const ServerFiles& files_;
};

// Checking and describing an update touch no files.
class NoFiles final : public platform::UpdateFiles {
 public:
  std::optional<std::vector<uint8_t>> ReadWhole(const std::string&, size_t) override { return {}; }
  bool Unpack(const std::string&, std::span<const platform::UnpackItem>, std::string&) override {
    return false;
  }
  std::optional<platform::FolderListing> List(const std::string&) override { return {}; }
  platform::InstallOutcome Install(const std::string&, const std::string&,
                                   std::span<const platform::InstallStep>) override {
    return {platform::InstallOutcome::Result::kRolledBack, 0, "no files"};
  }
  bool RemoveBackups(const std::string&) override { return false; }
  bool RemoveTree(const std::string&) override { return false; }
  bool MakeEmptyFolder(const std::string&) override { return false; }
  bool CanReplaceIn(const std::string&) override { return false; }
};

class FuzzHost final : public addins::UpdateHostWindow {
 public:
  explicit FuzzHost(const ServerFiles& files) : server_(files) {}
  int64_t Send(uint32_t, uint64_t, int64_t) override { return 0; }
  void Sleep(uint32_t) override {}
  platform::FtpClient& Ftp() override { return server_; }
  platform::UpdateFiles& Files() override { return files_; }
  platform::FtpServer ServerLogin() override { return {}; }
  std::string ProgramFolder() override { return kProgramFolder; }
  std::span<const uint8_t> PublicKey() override { return {}; }

 private:
  FuzzServer server_;
  NoFiles files_;
};

// The package's name as the client keeps it: a plain file name, fit for its buffer.
void CheckPackageName(const std::string& remote) {
  FUZZ_CHECK(remote.ends_with(".tar.gz") && remote.size() > 7);
  FUZZ_CHECK(remote.size() + 4 < addins::UpdateClient::kFileNameSize);
  FUZZ_CHECK(remote != "." && remote != "..");
  for (const char c : remote) {
    FUZZ_CHECK(c != '/' && c != '\\' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  }
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  FuzzedDataProvider input(data, size);
  fuzz::ServerFiles files;
  files.machineListing = input.ConsumeBool();
  files.versionBytes = input.ConsumeRandomLengthString(64);
  files.listing = input.ConsumeRandomLengthString(4096);
  files.description = input.ConsumeRemainingBytesAsString();

  fuzz::FuzzHost host(files);
  addins::UpdateClient client;
  client.SetHostWindow(&host);
  client.SetServer("updates.example", "/pacetta/");
  client.SetCurrentVersion(fuzz::kRunningVersion);
  const int32_t checked = client.CheckForUpdate();
  FUZZ_CHECK(std::strlen(client.GetErrorText()) < addins::UpdateClient::kErrorSize);
  if (checked != 0 || client.RetrieveUpdateInfo() != 0) return 0;
  FUZZ_CHECK(std::strlen(client.GetDescription()) < addins::UpdateClient::kDescriptionSize);
  const char* remote = nullptr;
  const char* local = nullptr;
  client.GetFiles(&remote, &local);
  fuzz::CheckPackageName(remote);
  // The local path is kept in a buffer of its own size: cut, never another path.
  const std::string expected = std::string(fuzz::kProgramFolder) + "/.update-download/" + remote;
  FUZZ_CHECK(std::strlen(local) < addins::UpdateClient::kFileNameSize);
  FUZZ_CHECK(expected.starts_with(local));
  return 0;
}
