#pragma once
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/memory_registry.h"

namespace pacetta::linux_os {

// The system calls of one atomic replace of the settings file, in the order a save makes
// them. The defaults are the real calls; a test overrides them to fail or to stop a save
// at any step.
class SettingsFileCalls {
 public:
  virtual ~SettingsFileCalls() = default;
  virtual int CreateTemporary(const std::string& path);
  virtual ssize_t Write(int fd, const void* data, size_t size);
  virtual int Sync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const std::string& from, const std::string& to);
};

// The current user's registry as one JSON settings file. Every flush replaces the file
// atomically (temporary file, fsync, rename, fsync of the folder), so a crash or a full
// disk leaves the previous settings intact. A file that cannot be parsed is moved aside
// and the registry starts empty; DamageNotice() tells about it once.
class FileRegistry final : public platform::MemoryRegistry {
 public:
  // `calls` null: the real system calls.
  explicit FileRegistry(std::string path, std::shared_ptr<SettingsFileCalls> calls = nullptr);
  const std::string& Path() const { return path_; }
  // The text to report about a damaged file, once; nullopt afterwards or when none.
  std::optional<std::string> DamageNotice() override;

  // The default location: $XDG_CONFIG_HOME/pacetta/<fileName>, or ~/.config/...
  static std::string DefaultPath(const std::string& fileName);

 protected:
  bool Persist(const platform::RegistryKeys& keys) override;

 private:
  std::string path_;
  std::shared_ptr<SettingsFileCalls> calls_;
  std::optional<std::string> damageNotice_;
};

}  // namespace pacetta::linux_os
