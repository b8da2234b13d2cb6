#include "platform/linux/linux_system.h"

#include <dlfcn.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace pacetta::linux_os {
namespace {

class SharedModule final : public platform::Module {
 public:
  explicit SharedModule(void* handle) : handle_(handle) {}
  ~SharedModule() override { dlclose(handle_); }
  SharedModule(const SharedModule&) = delete;
  SharedModule& operator=(const SharedModule&) = delete;
  void* Symbol(const std::string& name) override { return dlsym(handle_, name.c_str()); }

 private:
  void* handle_;
};

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

// Makes each missing folder of `path` for the user alone; true when it is a folder.
bool MakePrivateFolders(const std::filesystem::path& path) {
  std::filesystem::path built;
  for (const auto& part : path) {
    built /= part;
    if (mkdir(built.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Where an installed copy keeps its helpers and modules, relative to the program's
// folder; set by the build from its installation folders.
#ifdef PACETTA_MODULES_FROM_PROGRAM
constexpr const char* kModulesFromProgram = PACETTA_MODULES_FROM_PROGRAM;
#else
constexpr const char* kModulesFromProgram = "";
#endif

}  // namespace

LinuxSystem::LinuxSystem() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return;
  path.resize(static_cast<size_t>(length));
  programPath_ = std::move(path);
  moduleFolder_ = System::ModuleFolder();
  if (*kModulesFromProgram != '\0') {
    const auto installed =
        (std::filesystem::path(moduleFolder_) / kModulesFromProgram).lexically_normal();
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) moduleFolder_ = installed.string();
  }
}

std::string LinuxSystem::UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::filesystem::path base;
  if (state && *state == '/') {
    base = state;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = std::filesystem::path(home) / ".local" / "state";
  }
  const std::filesystem::path folder = base / "pacetta";
  return MakePrivateFolders(folder) ? folder.string() : std::string();
}

bool LinuxSystem::SetCurrentDirectory(const std::string& path) {
  return !path.empty() && chdir(path.c_str()) == 0;
}

bool LinuxSystem::FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LinuxSystem::StartProcess(const std::string& path, const std::vector<std::string>& arguments) {
  std::vector<std::string> storage;
  storage.reserve(arguments.size() + 1);
  storage.push_back(path);
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  // A bare name is looked up in the search path, as a user typing it would expect.
  pid_t pid = 0;
  const bool bareName = path.find('/') == std::string::npos;
  const int failed = bareName
                         ? posix_spawnp(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ)
                         : posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (failed != 0) return false;
  // The child runs on its own; a waiter collects it when it ends, so that programs
  // started again and again over a long run leave no zombies behind.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::unique_ptr<platform::Module> LinuxSystem::LoadModule(const std::string& path) {
  // A bare name would send the loader through the library search path, where a library
  // of the same name from anywhere could answer: only full paths are loaded.
  if (path.empty() || path.front() != '/' || !FileExists(path)) return nullptr;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::make_unique<SharedModule>(handle);
}

void LinuxSystem::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

uint32_t LinuxSystem::TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + now.tv_nsec / 1000000;
  return static_cast<uint32_t>(ms);
}

platform::OsVersion LinuxSystem::Version() {
  platform::OsVersion version{6, 2, 0, platform::kPlatformNt};
  utsname name{};
  if (uname(&name) == 0) {
    unsigned major = 0, minor = 0, patch = 0;
    if (std::sscanf(name.release, "%u.%u.%u", &major, &minor, &patch) >= 2) {
      version.build = major * 10000 + minor * 100 + patch % 100;
    }
  }
  return version;
}

uint32_t LinuxSystem::UserDefaultLocale() {
  return LocaleIdOf(EnvOr("LC_ALL", EnvOr("LC_MESSAGES", EnvOr("LANG", ""))));
}

uint32_t LinuxSystem::SystemDefaultLocale() {
  std::ifstream file("/etc/default/locale");
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind("LANG=", 0) == 0) {
      std::string value = line.substr(5);
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      return LocaleIdOf(value);
    }
  }
  return UserDefaultLocale();
}

}  // namespace pacetta::linux_os
