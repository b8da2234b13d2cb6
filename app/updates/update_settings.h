#pragma once
#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace pacetta {

// The updates' stored settings and the module's results of the last operation, kept
// under the user's key "Software\Norvane\Pacetta\Updates".
inline constexpr char kUpdatesKey[] = "Software\\Norvane\\Pacetta\\Updates";
inline constexpr uint32_t kUpdatesModuleVersion = 0x02030500;

inline constexpr int32_t kUpdateMethodDownload = 0;  // download, then ask to install
inline constexpr int32_t kUpdateMethodNotify = 1;    // ask to download
inline constexpr int32_t kMinCheckIntervalDays = 1;
inline constexpr int32_t kMaxCheckIntervalDays = 365;
inline constexpr int32_t kLastUpdateState = 15;

struct UpdateSettings {
  int32_t autoCheck = 0;
  int32_t method = kUpdateMethodNotify;
  int32_t interval = 7;  // days
  int32_t lastStatus = 0;
  // Local wall-clock times in 100-ns units since 1601 (0: never).
  uint64_t lastCheck = 0;
  uint64_t lastSuccessCheck = 0;
  std::string lastError;        // at most 1023 characters
  std::string lastDescription;  // at most 4095
  std::string lastRemoteFile;   // at most 259
  std::string lastLocalFile;    // at most 259
  uint32_t lastLength = 0;

  bool operator==(const UpdateSettings&) const = default;
};

// Missing values keep their defaults; out-of-range ones are brought into range: the
// interval clamped to 1-365, a method other than 0 or 1 read as 0, a status beyond 0-15
// read as 0. Texts are cut to their buffers.
UpdateSettings LoadUpdateSettings(platform::Registry& registry);
// False when the key cannot be written or flushed.
bool SaveUpdateSettings(platform::Registry& registry, const UpdateSettings& settings);

}  // namespace pacetta
