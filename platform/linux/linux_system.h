#pragma once
#include "platform/system.h"

namespace pacetta::linux_os {

class LinuxSystem : public platform::System {
 public:
  LinuxSystem();
  // The file the program was started from, as it was named at the start: an update renames
  // that file to its backup name while the program runs, and a restart starts the new one.
  std::string ProgramPath() override { return programPath_; }
  // An installed copy's private library folder, found from the program's own place;
  // a build folder has none, and its modules lie beside the program.
  std::string ModuleFolder() override { return moduleFolder_; }
  // $XDG_STATE_HOME/pacetta, or ~/.local/state/pacetta.
  std::string UserStateFolder() override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool StartProcess(const std::string& path, const std::vector<std::string>& arguments) override;
  std::unique_ptr<platform::Module> LoadModule(const std::string& path) override;
  void Sleep(std::chrono::milliseconds duration) override;
  uint32_t TickCount() override;
  // Linux passes the program's operating-system check as the newer NT generation.
  platform::OsVersion Version() override;
  // The program is a 64-bit process on a 64-bit system: it takes the 64-bit driver
  // path, as a 32-bit build under emulation would.
  std::optional<bool> IsEmulated32On64() override { return true; }
  // Linux runs the program and its idle helper natively, built for the same machine.
  bool RunsUnderEmulation() override { return false; }
  uint32_t UserDefaultLocale() override;
  uint32_t SystemDefaultLocale() override;

 private:
  std::string programPath_;
  std::string moduleFolder_;
};

// Windows locale identifier of a POSIX locale name such as "de_DE.UTF-8"; 1033 (US
// English) for "C", "POSIX", empty or unknown names.
uint32_t LocaleIdOf(const std::string& posixName);

}  // namespace pacetta::linux_os
