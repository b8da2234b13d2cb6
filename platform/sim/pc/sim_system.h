#pragma once
#include <functional>
#include <optional>

#include "platform/linux/linux_system.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

struct SimSystemOptions {
  // Answers for files that exist only on the simulated machine (the driver file);
  // nullopt = not a simulated file, ask the real file system.
  std::function<std::optional<bool>(const std::string&)> simulatedFile;
  // The emulation query cannot be asked (no entry point on old systems).
  bool emulationQueryMissing = false;
  // The user's and the system's language; unset, the host's.
  std::optional<uint32_t> userLocale;
  std::optional<uint32_t> systemLocale;
};

// The simulated machine's operating system: its version and word size come from the
// machine; processes, modules, time and the desktop's languages are the host's, since
// the program really runs here.
class SimSystem final : public linux_os::LinuxSystem {
 public:
  SimSystem(const MachineSpec& machine, SimSystemOptions options)
      : machine_(machine), options_(std::move(options)) {}

  bool FileExists(const std::string& path) override {
    if (options_.simulatedFile) {
      if (auto answer = options_.simulatedFile(path)) return *answer;
    }
    return LinuxSystem::FileExists(path);
  }
  platform::OsVersion Version() override { return machine_.os; }
  std::optional<bool> IsEmulated32On64() override {
    if (options_.emulationQueryMissing) return std::nullopt;
    return machine_.system64;
  }
  uint32_t UserDefaultLocale() override {
    return options_.userLocale ? *options_.userLocale : LinuxSystem::UserDefaultLocale();
  }
  uint32_t SystemDefaultLocale() override {
    return options_.systemLocale ? *options_.systemLocale : LinuxSystem::SystemDefaultLocale();
  }

 private:
  const MachineSpec& machine_;
  SimSystemOptions options_;
};

}  // namespace pacetta::sim
