#include "addins/update_client/update_client.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "addins/update_client/version_choice.h"
#include "updates/package_install.h"
#include "updates/package_signature.h"

namespace pacetta::addins {

namespace {

// An error result: the system's general failure, as the host expects negative values.
constexpr int32_t kFailed = static_cast<int32_t>(0x80004005u);
constexpr int32_t kNoUpdate = 1;
constexpr int32_t kCancelled = 1;
constexpr uint32_t kStepPauseMs = 100;
constexpr size_t kVersionBytes = 8;
// The update server's one account, the same for every copy of the program: the package's
// signature, not the login, is what makes an update trustworthy.
constexpr char kLoginUser[] = "quillmerrows";
constexpr char kLoginPassword[] = "plomvetch";

constexpr std::string_view kVersionSuffix = ".ver";
constexpr std::string_view kDescriptionSuffix = ".txt";
constexpr std::string_view kPackageSuffix = ".tar.gz";
constexpr std::string_view kSignatureSuffix = ".sig";
// Where downloads go below the program's folder. Its name never comes from the server, so
// no name a server lists can make a download clear a program file or folder; a package
// that brings a file of this name is refused.
constexpr char kDownloadFolder[] = ".update-download";
// The longest file name the file system takes.
constexpr size_t kMaxFileName = 255;

template <size_t N>
void CopyText(std::array<char, N>& field, const char* text) {
  field.fill(0);
  if (text != nullptr) std::memcpy(field.data(), text, strnlen(text, N - 1));
}

uint32_t LittleEndian32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

// A name from the server or the settings as a plain file name: no folder part, no "..",
// nothing that does not print, short enough for its buffer with every suffix added.
bool PlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." ||
      name.size() + kSignatureSuffix.size() >= UpdateClient::kFileNameSize ||
      name.size() + kSignatureSuffix.size() > kMaxFileName) {
    return false;
  }
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::string WithoutSuffix(std::string_view name, std::string_view suffix) {
  return std::string(name.substr(0, name.size() - suffix.size()));
}

}  // namespace

void UpdateClient::SetServer(const char* host, const char* path) {
  serverHost_ = host != nullptr ? host : "";
  serverPath_ = path != nullptr ? path : "";
}

void UpdateClient::SetErrorText(const char* text) {
  CopyText(errorText_, text);
}

void UpdateClient::SetDescription(const char* text) {
  CopyText(description_, text);
}

void UpdateClient::GetFiles(const char** remote, const char** local) const {
  if (remote != nullptr) *remote = remoteFile_.data();
  if (local != nullptr) *local = localFile_.data();
}

void UpdateClient::SetFiles(const char* remote, const char* local) {
  CopyText(remoteFile_, remote);
  CopyText(localFile_, local);
}

bool UpdateClient::IsConnected() {
  return window_ != nullptr && window_->Ftp().IsConnected();
}

void UpdateClient::Report(UpdateState state, int64_t percent) {
  window_->Send(kHostUpdateProgress, static_cast<uint64_t>(state), percent);
}

int32_t UpdateClient::Fail(const std::string& text) {
  CopyText(errorText_, text.c_str());
  return kFailed;
}

std::string UpdateClient::RemotePath(const std::string& name) const {
  if (serverPath_.empty()) return name;
  return serverPath_.back() == '/' ? serverPath_ + name : serverPath_ + "/" + name;
}

std::string UpdateClient::PackageFolder() const {
  return window_->ProgramFolder() + "/" + kDownloadFolder;
}

std::unique_ptr<platform::FtpSession> UpdateClient::Connect(UpdateState state) {
  Report(UpdateState::kConnecting);
  window_->Sleep(kStepPauseMs);
  platform::FtpServer server = window_->ServerLogin();
  server.host = serverHost_;
  server.user = kLoginUser;
  server.password = kLoginPassword;
  std::unique_ptr<platform::FtpSession> session = window_->Ftp().Open(server);
  Report(state);
  window_->Sleep(kStepPauseMs);
  return session;
}

int32_t UpdateClient::CheckForUpdate() {
  if (window_ == nullptr) return Fail("The updates module has no host window.");
  const auto session = Connect(UpdateState::kLookingForUpdate);
  if (!session) return Fail("The update server cannot be reached.");
  versionFile_.clear();
  const platform::FtpListing listing = session->List(serverPath_, std::string(kVersionSuffix));
  if (!listing.result.Ok()) return Fail(listing.result.error);
  std::vector<OfferedUpdate> offers;
  for (const platform::FtpFile& file : listing.files) {
    // The listing matched the suffix in any case; the package's name is made from the
    // name with exactly this suffix, and must itself be a plain name with a base.
    if (!PlainName(file.name) || !file.name.ends_with(kVersionSuffix) ||
        file.name.size() == kVersionSuffix.size() ||
        !PlainName(WithoutSuffix(file.name, kVersionSuffix) + std::string(kPackageSuffix))) {
      continue;
    }
    const platform::FtpRead read =
        session->Read(RemotePath(file.name), kVersionBytes, platform::FtpOverflow::kTruncate);
    if (!read.result.Ok()) return Fail(read.result.error);
    if (read.bytes.size() < kVersionBytes)
      return Fail("The version file " + file.name + " is too short.");
    offers.push_back({file.name, LittleEndian32(read.bytes, 0), LittleEndian32(read.bytes, 4)});
  }
  const std::optional<OfferedUpdate> chosen = ChooseUpdate(offers, currentVersion_);
  if (!chosen) return kNoUpdate;
  versionFile_ = chosen->versionFile;
  return 0;
}

int32_t UpdateClient::RetrieveUpdateInfo() {
  if (window_ == nullptr) return Fail("The updates module has no host window.");
  if (!versionFile_.ends_with(kVersionSuffix)) return Fail("No update was found to describe.");
  const std::string base = WithoutSuffix(versionFile_, kVersionSuffix);
  const std::string remote = base + std::string(kPackageSuffix);
  if (!PlainName(remote)) return Fail("The update's name is not a plain file name.");
  description_.fill(0);
  CopyText(remoteFile_, remote.c_str());
  CopyText(localFile_, (PackageFolder() + "/" + remote).c_str());
  const auto session = Connect(UpdateState::kRetrievingInfo);
  if (!session) return Fail("The update server cannot be reached.");
  const platform::FtpRead read =
      session->Read(RemotePath(base + std::string(kDescriptionSuffix)), kDescriptionSize - 1,
                    platform::FtpOverflow::kTruncate);
  if (!read.result.Ok()) return Fail(read.result.error);
  CopyText(description_, read.bytes.c_str());
  // The percentage of the download counts against the package's own size.
  const platform::FtpListing packages = session->List(serverPath_, std::string(kPackageSuffix));
  if (!packages.result.Ok()) return Fail(packages.result.error);
  updateLength_ = 0;
  for (const platform::FtpFile& file : packages.files) {
    if (file.name == remote)
      updateLength_ = static_cast<uint32_t>(std::min<uint64_t>(file.size, UINT32_MAX));
  }
  return 0;
}

int32_t UpdateClient::Download(std::atomic<int>* cancel) {
  if (window_ == nullptr) return Fail("The updates module has no host window.");
  const std::string remote = remoteFile_.data();
  if (!remote.ends_with(kPackageSuffix) || !PlainName(remote)) {
    return Fail("The update's name is not a plain file name.");
  }
  const auto session = Connect(UpdateState::kDownloading);
  if (!session) return Fail("The update server cannot be reached.");
  // A folder left by an earlier download that failed or was cancelled goes first.
  const std::string folder = PackageFolder();
  platform::UpdateFiles& files = window_->Files();
  if (!files.MakeEmptyFolder(folder))
    return Fail("The folder " + folder + " cannot be made ready.");
  const std::string local = folder + "/" + remote;
  CopyText(localFile_, local.c_str());
  const uint32_t length = updateLength_;
  const platform::FtpResult package = session->Download(
      RemotePath(remote), local,
      [this, length](uint64_t received) {
        Report(UpdateState::kDownloading,
               length == 0 ? 0 : static_cast<int64_t>((received * 100 + length / 2) / length));
      },
      cancel);
  if (package.outcome != platform::FtpOutcome::kOk) {
    files.RemoveTree(folder);
    return package.outcome == platform::FtpOutcome::kCancelled ? kCancelled : Fail(package.error);
  }
  const std::string signature = local + std::string(kSignatureSuffix);
  const platform::FtpResult signed_ =
      session->Download(RemotePath(remote + std::string(kSignatureSuffix)), signature, {}, cancel);
  if (signed_.outcome != platform::FtpOutcome::kOk) {
    files.RemoveTree(folder);
    return signed_.outcome == platform::FtpOutcome::kCancelled
               ? kCancelled
               : Fail("The update's signature cannot be fetched: " + signed_.error);
  }
  // A package that is not the publisher's is refused at once, not kept for an install.
  const auto packageBytes = files.ReadWhole(local, updates::kMaxPackageBytes);
  const auto signatureBytes = files.ReadWhole(signature, updates::kSignatureBytes + 1);
  const updates::SignatureCheck check =
      packageBytes && signatureBytes
          ? updates::CheckPackageSignature(window_->PublicKey(), *packageBytes, *signatureBytes)
          : updates::SignatureCheck::kUnreadable;
  if (check != updates::SignatureCheck::kValid) {
    files.RemoveTree(folder);
    return Fail("The downloaded update is refused: " +
                std::string(updates::SignatureCheckText(check)));
  }
  return 0;
}

int32_t UpdateClient::Install() {
  if (window_ == nullptr) return Fail("The updates module has no host window.");
  const std::string remote = remoteFile_.data();
  if (!remote.ends_with(kPackageSuffix) || !PlainName(remote)) {
    return Fail("The update's name is not a plain file name.");
  }
  const std::string folder = PackageFolder();
  const std::string local = folder + "/" + remote;
  Report(UpdateState::kInstalling);
  window_->Sleep(kStepPauseMs);
  const updates::PackageInstallReport report =
      updates::InstallPackage(window_->Files(), window_->PublicKey(),
                              {local, local + std::string(kSignatureSuffix), folder + "/unpacked",
                               window_->ProgramFolder(), kDownloadFolder});
  window_->Files().RemoveTree(folder);
  if (!report.Installed()) return Fail("The update could not be installed: " + report.detail);
  return 0;
}

int32_t UpdateClient::RemoveBackups() {
  if (window_ != nullptr) window_->Files().RemoveBackups(window_->ProgramFolder());
  return 0;
}

}  // namespace pacetta::addins
