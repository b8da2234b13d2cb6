#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// A loaded shared module; unloaded when destroyed.
class Module {
 public:
  virtual ~Module() = default;
  // Null when the module has no such symbol.
  virtual void* Symbol(const std::string& name) = 0;
};

// Operating-system version as the start-up check reads it.
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  // 1 = the 9x line, 2 = the NT line.
  uint32_t platformId = 0;
};

inline constexpr uint32_t kPlatformWin9x = 1;
inline constexpr uint32_t kPlatformNt = 2;

class System {
 public:
  virtual ~System() = default;
  // Full path of the running program.
  virtual std::string ProgramPath() = 0;
  // The folder of the program's helpers, add-ins and language modules: beside the
  // program, unless an installed copy keeps them in a private library folder.
  virtual std::string ModuleFolder() {
    const std::string program = ProgramPath();
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? "." : program.substr(0, slash);
  }
  // The user's own folder for the program's files (its log), made when missing; empty
  // when the system has none. An installed program's folder is not the user's to write.
  virtual std::string UserStateFolder() { return {}; }
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Starts `path` (a path, or a bare name looked up in the program search path) with
  // `arguments`, detached; false when it could not be started.
  virtual bool StartProcess(const std::string& path, const std::vector<std::string>& arguments) = 0;
  // Null when the file is absent or not a loadable module; `path` must be a full path,
  // never a name for the system's library search.
  virtual std::unique_ptr<Module> LoadModule(const std::string& path) = 0;
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
  // Milliseconds since an arbitrary start, wrapping at 32 bits.
  virtual uint32_t TickCount() = 0;

  virtual OsVersion Version() = 0;
  // Whether this 32-bit process runs under emulation on a 64-bit system; nullopt when
  // the question cannot be asked (the caller then assumes no emulation).
  virtual std::optional<bool> IsEmulated32On64() = 0;
  // Whether this process itself runs under emulation of another word size, where the
  // idle helper cannot do its work. Distinct from the question above, which chooses
  // the 64-bit driver path.
  virtual bool RunsUnderEmulation() = 0;
  virtual uint32_t UserDefaultLocale() = 0;
  virtual uint32_t SystemDefaultLocale() = 0;
};

}  // namespace pacetta::platform
