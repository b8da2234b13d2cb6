#include "app/updates/update_settings.h"

#include <algorithm>
#include <vector>

namespace pacetta {

namespace {

// The texts' buffers in the module, each with room for its terminating NUL.
constexpr size_t kErrorChars = 1023;
constexpr size_t kDescriptionChars = 4095;
constexpr size_t kFileChars = 259;

// Times are 8 bytes, little-endian; texts their bytes up to the first NUL.
std::vector<uint8_t> TimeBytes(uint64_t value) {
  std::vector<uint8_t> bytes(8);
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

uint64_t ReadTime(platform::RegistryKey& key, const char* name) {
  const auto bytes = key.ReadBinary(name);
  if (!bytes || bytes->size() != 8) return 0;
  uint64_t value = 0;
  for (size_t i = 0; i < 8; ++i) value |= static_cast<uint64_t>((*bytes)[i]) << (8 * i);
  return value;
}

std::string Cut(std::string text, size_t limit) {
  const size_t end = std::min(text.find('\0'), limit);
  if (end < text.size()) text.resize(end);
  return text;
}

std::string ReadText(platform::RegistryKey& key, const char* name, size_t limit) {
  const auto bytes = key.ReadBinary(name);
  if (!bytes) return {};
  return Cut(std::string(bytes->begin(), bytes->end()), limit);
}

bool WriteText(platform::RegistryKey& key, const char* name, const std::string& text,
               size_t limit) {
  const std::string cut = Cut(text, limit);
  return key.WriteBinary(name, std::vector<uint8_t>(cut.begin(), cut.end()));
}

void ReadWord(platform::RegistryKey& key, const char* name, int32_t& value) {
  if (const auto word = key.ReadDword(name)) value = static_cast<int32_t>(*word);
}

}  // namespace

UpdateSettings LoadUpdateSettings(platform::Registry& registry) {
  UpdateSettings settings;
  const auto key = registry.OpenUserKey(kUpdatesKey, false);
  if (!key) return settings;
  ReadWord(*key, "AutoCheck", settings.autoCheck);
  ReadWord(*key, "Method", settings.method);
  ReadWord(*key, "Interval", settings.interval);
  ReadWord(*key, "LastStatus", settings.lastStatus);
  settings.autoCheck = settings.autoCheck != 0 ? 1 : 0;
  settings.interval = std::clamp(settings.interval, kMinCheckIntervalDays, kMaxCheckIntervalDays);
  if (settings.method != kUpdateMethodDownload && settings.method != kUpdateMethodNotify)
    settings.method = kUpdateMethodDownload;
  if (settings.lastStatus < 0 || settings.lastStatus > kLastUpdateState) settings.lastStatus = 0;
  settings.lastCheck = ReadTime(*key, "LastCheck");
  settings.lastSuccessCheck = ReadTime(*key, "LastSuccessCheck");
  settings.lastDescription = ReadText(*key, "LastUpdateDescription", kDescriptionChars);
  settings.lastError = ReadText(*key, "LastUpdateError", kErrorChars);
  settings.lastRemoteFile = ReadText(*key, "LastUpdateRemoteFile", kFileChars);
  settings.lastLocalFile = ReadText(*key, "LastUpdateLocalFile", kFileChars);
  if (const auto length = key->ReadDword("LastUpdateLength")) settings.lastLength = *length;
  return settings;
}

bool SaveUpdateSettings(platform::Registry& registry, const UpdateSettings& settings) {
  const auto key = registry.OpenUserKey(kUpdatesKey, true);
  if (!key) return false;
  bool ok = key->WriteDword("ModuleVersion", kUpdatesModuleVersion);
  ok = key->WriteDword("AutoCheck", static_cast<uint32_t>(settings.autoCheck)) && ok;
  ok = key->WriteDword("Method", static_cast<uint32_t>(settings.method)) && ok;
  ok = key->WriteDword("Interval", static_cast<uint32_t>(settings.interval)) && ok;
  ok = key->WriteDword("LastStatus", static_cast<uint32_t>(settings.lastStatus)) && ok;
  ok = key->WriteBinary("LastCheck", TimeBytes(settings.lastCheck)) && ok;
  ok = key->WriteBinary("LastSuccessCheck", TimeBytes(settings.lastSuccessCheck)) && ok;
  ok = WriteText(*key, "LastUpdateError", settings.lastError, kErrorChars) && ok;
  ok = WriteText(*key, "LastUpdateDescription", settings.lastDescription, kDescriptionChars) && ok;
  ok = WriteText(*key, "LastUpdateRemoteFile", settings.lastRemoteFile, kFileChars) && ok;
  ok = WriteText(*key, "LastUpdateLocalFile", settings.lastLocalFile, kFileChars) && ok;
  ok = key->WriteDword("LastUpdateLength", settings.lastLength) && ok;
  return key->Flush() && ok;
}

}  // namespace pacetta
