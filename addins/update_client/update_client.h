#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "addins/addin_object.h"
#include "addins/update_host.h"

namespace pacetta::addins {

// The updates module's object: finds the newest update for the running version on the
// update server, fetches its description, downloads the package with its signature into
// a folder of its own below the program's folder, and installs it after checking the
// signature. Nothing downloaded is ever run. The results of the last operation stay in
// the object for the host to show and store.
class UpdateClient : public TollundObject {
 public:
  static constexpr size_t kDescriptionSize = 4096;
  static constexpr size_t kErrorSize = 1024;
  static constexpr size_t kFileNameSize = 260;

  uint32_t GetVersion() const override { return kTollundVersion; }
  void SetHostWindow(UpdateHostWindow* window) override { window_ = window; }
  void SetServer(const char* host, const char* path) override;
  void SetCurrentVersion(uint32_t version) override { currentVersion_ = version; }
  const char* GetErrorText() const override { return errorText_.data(); }
  void SetErrorText(const char* text) override;
  const char* GetDescription() const override { return description_.data(); }
  void SetDescription(const char* text) override;
  void GetFiles(const char** remote, const char** local) const override;
  void SetFiles(const char* remote, const char* local) override;
  uint32_t GetUpdateLength() const override { return updateLength_; }
  void SetUpdateLength(uint32_t length) override { updateLength_ = length; }
  bool IsConnected() override;
  int32_t CheckForUpdate() override;
  int32_t RetrieveUpdateInfo() override;
  int32_t Download(std::atomic<int>* cancel) override;
  int32_t Install() override;
  int32_t RemoveBackups() override;

 private:
  // Reports the connecting state, opens the login and reports `state`.
  std::unique_ptr<platform::FtpSession> Connect(UpdateState state);
  void Report(UpdateState state, int64_t percent = 0);
  // Stores `text` as the error and returns the error result.
  int32_t Fail(const std::string& text);
  std::string RemotePath(const std::string& name) const;
  // The package's own folder below the program's folder.
  std::string PackageFolder() const;

  UpdateHostWindow* window_ = nullptr;
  std::array<char, kDescriptionSize> description_{};
  std::array<char, kErrorSize> errorText_{};
  std::array<char, kFileNameSize> remoteFile_{};
  std::array<char, kFileNameSize> localFile_{};
  std::string serverHost_;
  std::string serverPath_;
  std::string versionFile_;
  uint32_t updateLength_ = 0;
  uint32_t currentVersion_ = 0;
};

}  // namespace pacetta::addins
