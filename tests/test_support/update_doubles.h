#pragma once
// The system services the update service needs besides its module, for tests that script
// the module itself: no network, a program folder that is writable or not, a clock that
// stands still until the test moves it, and a system that does nothing.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/civil_time.h"
#include "platform/ftp_client.h"
#include "platform/local_time.h"
#include "platform/system.h"
#include "platform/update_files.h"

namespace pacetta::testing {

class NoFtp final : public platform::FtpClient {
 public:
  std::unique_ptr<platform::FtpSession> Open(const platform::FtpServer&) override {
    return nullptr;
  }
  bool IsConnected() override { return false; }
};

// Only whether the program folder may be changed matters; every file operation fails.
class ProgramFolderFiles final : public platform::UpdateFiles {
 public:
  bool writable = true;
  std::optional<std::vector<uint8_t>> ReadWhole(const std::string&, size_t) override {
    return std::nullopt;
  }
  bool Unpack(const std::string&, std::span<const platform::UnpackItem>, std::string&) override {
    return false;
  }
  std::optional<platform::FolderListing> List(const std::string&) override { return {}; }
  platform::InstallOutcome Install(const std::string&, const std::string&,
                                   std::span<const platform::InstallStep>) override {
    return {};
  }
  bool RemoveBackups(const std::string&) override { return false; }
  bool RemoveTree(const std::string&) override { return false; }
  bool MakeEmptyFolder(const std::string&) override { return false; }
  bool CanReplaceIn(const std::string&) override { return writable; }
};

// A wall clock in UTC that shows `start` until Later() moves it on.
class StillClock final : public platform::LocalClock {
 public:
  explicit StillClock(const platform::LocalTime& start) : start_(start), now(start) {}
  // Moves the clock on to `seconds` after the start.
  void Later(int64_t seconds) {
    now = platform::UtcReadingOf(*platform::UtcSecondsOf(start_) + seconds);
  }
  platform::LocalTime Now() override { return now; }
  int64_t EpochSeconds() override { return *platform::UtcSecondsOf(now); }
  std::optional<int64_t> EpochSecondsOf(const platform::LocalTime& local) override {
    return platform::UtcSecondsOf(local);
  }

 private:
  platform::LocalTime start_;

 public:
  platform::LocalTime now;
};

class IdleSystem final : public platform::System {
 public:
  std::string ProgramPath() override { return "/opt/tarvello/pacetta"; }
  std::string ModuleFolder() override {
    return moduleFolder.empty() ? System::ModuleFolder() : moduleFolder;
  }
  bool SetCurrentDirectory(const std::string&) override { return true; }
  bool FileExists(const std::string&) override { return false; }
  bool StartProcess(const std::string&, const std::vector<std::string>&) override { return false; }
  std::unique_ptr<platform::Module> LoadModule(const std::string&) override { return nullptr; }
  void Sleep(std::chrono::milliseconds) override {}
  uint32_t TickCount() override { return 0; }
  platform::OsVersion Version() override { return {}; }
  std::optional<bool> IsEmulated32On64() override { return false; }
  bool RunsUnderEmulation() override { return false; }
  uint32_t UserDefaultLocale() override { return 1033; }
  uint32_t SystemDefaultLocale() override { return 1033; }

  std::string moduleFolder;  // empty: beside the program
};

}  // namespace pacetta::testing
