#pragma once
#include <optional>
#include <string>

#include "platform/memory_registry.h"

namespace pacetta::linux_os {

// The current user's registry as one JSON settings file. Every flush replaces the file
// atomically (temporary file, fsync, rename, fsync of the folder), so a crash or a full
// disk leaves the previous settings intact. A file that cannot be parsed is moved aside
// and the registry starts empty; DamageNotice() tells about it once.
class FileRegistry final : public platform::MemoryRegistry {
 public:
  explicit FileRegistry(std::string path);
  const std::string& Path() const { return path_; }
  // The text to report about a damaged file, once; nullopt afterwards or when none.
  std::optional<std::string> DamageNotice();

  // The default location: $XDG_CONFIG_HOME/pacetta/<fileName>, or ~/.config/...
  static std::string DefaultPath(const std::string& fileName);

 protected:
  bool Persist(const platform::RegistryKeys& keys) override;

 private:
  std::string path_;
  std::optional<std::string> damageNotice_;
};

}  // namespace pacetta::linux_os
