// The host window of the updates module: where its progress goes, and the system's
// services it works with, which the host reaches through its platform layer.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "addins/addin_object.h"
#include "platform/ftp_client.h"
#include "platform/update_files.h"

namespace pacetta::addins {

// The progress message: wParam the update state, lParam the percentage for state 14.
inline constexpr uint32_t kHostUpdateProgress = 0x0600;

// The update states the module reports while it works; the host shows the final ones.
enum class UpdateState : int32_t {
  kConnecting = 11,
  kLookingForUpdate = 12,
  kRetrievingInfo = 13,
  kDownloading = 14,
  kInstalling = 15,
};

class PACETTA_ADDIN_EXPORT UpdateHostWindow {
 public:
  virtual ~UpdateHostWindow() = default;
  // Answered synchronously by the host's main thread.
  virtual int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual platform::FtpClient& Ftp() = 0;
  virtual platform::UpdateFiles& Files() = 0;
  // How to reach the update server (port, transport security, trusted certificates,
  // bounds); the module names the host and the account.
  virtual platform::FtpServer ServerLogin() = 0;
  // The program's own folder, where updates are installed and packages downloaded below.
  virtual std::string ProgramFolder() = 0;
  // The key update packages must be signed with; empty: every package is refused.
  virtual std::span<const uint8_t> PublicKey() = 0;
};

}  // namespace pacetta::addins
