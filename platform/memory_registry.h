#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace pacetta::platform {

// Key paths and value names compare without regard to case, as the registry does.
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

using RegistryValue = std::variant<uint32_t, std::vector<uint8_t>>;
using RegistryValues = std::map<std::string, RegistryValue, CaseInsensitiveLess>;
using RegistryKeys = std::map<std::string, RegistryValues, CaseInsensitiveLess>;

// A registry held in memory. Subclasses make it durable by overriding Persist, which
// runs (under the lock) whenever an open key with changes is flushed or closed.
class MemoryRegistry : public Registry {
 public:
  MemoryRegistry() = default;
  explicit MemoryRegistry(RegistryKeys keys) : keys_(std::move(keys)) {}
  std::unique_ptr<RegistryKey> OpenUserKey(const std::string& path, bool create) override;

  RegistryKeys Snapshot() const;

 protected:
  // Replaces every key, without persisting (the content came from the durable copy).
  void Load(RegistryKeys keys);
  virtual bool Persist(const RegistryKeys& /*keys*/) { return true; }

 private:
  class Key;
  mutable std::mutex mutex_;
  RegistryKeys keys_;
};

}  // namespace pacetta::platform
