#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// One open key of the current user's settings. Values are 32-bit words or byte strings.
// Writes become durable when the key is closed (the object destroyed) or Flush() succeeds.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual std::optional<uint32_t> ReadDword(const std::string& name) = 0;
  virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) = 0;
  virtual bool WriteDword(const std::string& name, uint32_t value) = 0;
  virtual bool WriteBinary(const std::string& name, const std::vector<uint8_t>& value) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
  virtual bool Flush() = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // `path` uses backslashes, as "Software\\Norvane\\Pacetta". Null when the key is
  // absent (and `create` is false) or the store cannot be read.
  virtual std::unique_ptr<RegistryKey> OpenUserKey(const std::string& path, bool create) = 0;
  // The text to report once about a durable store that was found damaged and set aside
  // (the settings then start from their defaults); nullopt when there is none.
  virtual std::optional<std::string> DamageNotice() { return std::nullopt; }
};

}  // namespace pacetta::platform
