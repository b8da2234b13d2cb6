#include "platform/memory_registry.h"

#include <algorithm>
#include <cctype>

namespace pacetta::platform {

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

class MemoryRegistry::Key final : public RegistryKey {
 public:
  Key(MemoryRegistry& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
  ~Key() override { Flush(); }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  std::optional<uint32_t> ReadDword(const std::string& name) override {
    std::lock_guard lock(owner_.mutex_);
    const RegistryValue* value = Find(name);
    if (!value || !std::holds_alternative<uint32_t>(*value)) return std::nullopt;
    return std::get<uint32_t>(*value);
  }

  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override {
    std::lock_guard lock(owner_.mutex_);
    const RegistryValue* value = Find(name);
    if (!value || !std::holds_alternative<std::vector<uint8_t>>(*value)) return std::nullopt;
    return std::get<std::vector<uint8_t>>(*value);
  }

  bool WriteDword(const std::string& name, uint32_t value) override {
    std::lock_guard lock(owner_.mutex_);
    owner_.keys_[path_][name] = value;
    dirty_ = true;
    return true;
  }

  bool WriteBinary(const std::string& name, const std::vector<uint8_t>& value) override {
    std::lock_guard lock(owner_.mutex_);
    owner_.keys_[path_][name] = value;
    dirty_ = true;
    return true;
  }

  bool DeleteValue(const std::string& name) override {
    std::lock_guard lock(owner_.mutex_);
    auto key = owner_.keys_.find(path_);
    if (key == owner_.keys_.end() || key->second.erase(name) == 0) return false;
    dirty_ = true;
    return true;
  }

  bool Flush() override {
    std::lock_guard lock(owner_.mutex_);
    if (!dirty_) return true;
    if (!owner_.Persist(owner_.keys_)) return false;
    dirty_ = false;
    return true;
  }

 private:
  const RegistryValue* Find(const std::string& name) const {
    auto key = owner_.keys_.find(path_);
    if (key == owner_.keys_.end()) return nullptr;
    auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
  }

  MemoryRegistry& owner_;
  std::string path_;
  bool dirty_ = false;
};

std::unique_ptr<RegistryKey> MemoryRegistry::OpenUserKey(const std::string& path, bool create) {
  {
    std::lock_guard lock(mutex_);
    if (!keys_.contains(path)) {
      if (!create) return nullptr;
      keys_[path];
    }
  }
  return std::make_unique<Key>(*this, path);
}

void MemoryRegistry::Load(RegistryKeys keys) {
  std::lock_guard lock(mutex_);
  keys_ = std::move(keys);
}

RegistryKeys MemoryRegistry::Snapshot() const {
  std::lock_guard lock(mutex_);
  return keys_;
}

}  // namespace pacetta::platform
