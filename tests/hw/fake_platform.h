#pragma once
// Small stateful stand-ins for the platform services the hardware layer uses: a service
// manager with one driver service, the driver's device, a clock that only moves when the
// code sleeps, and processors whose CPUID answers depend on where the thread is pinned.
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hw/driver_protocol.h"
#include "platform/linux/linux_local_clock.h"
#include "platform/linux/linux_log_files.h"
#include "platform/linux/linux_os_entry_points.h"
#include "platform/linux/linux_processes.h"
#include "platform/platform.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "platform/sim/pc/sim_priorities.h"
#include "platform/sim/power/sim_power.h"
#include "tests/test_support/no_kernel_cpu.h"

namespace pacetta::testing {

// Everything the driver can observe or change outside the process.
struct DriverWorld {
  std::vector<std::string> calls;  // service-manager and device-open calls, in order
  bool managerAvailable = true;
  bool serviceOpenRefused = false;
  bool statusQueryFails = false;
  bool deviceRefused = false;

  // The installed service, if any, and the files a service can start from.
  bool installed = false;
  std::string binaryPath;
  std::set<std::string> startableFiles;
  platform::ServiceState state = platform::ServiceState::kStopped;
  // Statuses answered by successive queries before the live state is reported.
  std::deque<platform::ServiceStatus> scriptedStatuses;

  // The device's side.
  std::vector<uint32_t> requests;  // codes, in order
  std::set<uint32_t> failingCodes;
  bool useCountQueryFails = false;  // only the query (change 0), not +1 or -1
  int32_t useCount = 0;
  driver::KernelCallBlock lastKernelBlock;
  uint32_t versionMajor = 1, versionMinor = 5;
  std::map<uint32_t, uint64_t> msrs;
  std::map<uint32_t, uint32_t> ports;
  std::vector<std::pair<uint32_t, uint32_t>> portWrites;  // port, value
};

class FakeServiceControl : public platform::ServiceControl {
 public:
  explicit FakeServiceControl(DriverWorld& world) : world_(world) {}
  std::unique_ptr<platform::ServiceManager> OpenManager() override;

 private:
  DriverWorld& world_;
};

class FakeDeviceIo : public platform::DeviceIo {
 public:
  explicit FakeDeviceIo(DriverWorld& world) : world_(world) {}
  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override;

 private:
  DriverWorld& world_;
};

// Time advances only through Sleep, so waits are exact and instant.
class FakeSystem : public platform::System {
 public:
  std::string programPath = "/opt/pacetta/pacetta";
  std::set<std::string> files;
  std::optional<bool> emulated = true;
  uint32_t tick = 5000;
  std::vector<uint32_t> sleepsMs;
  int emulationQueries = 0;

  std::string ProgramPath() override { return programPath; }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  void Sleep(std::chrono::milliseconds duration) override;
  uint32_t TickCount() override { return tick; }
  std::optional<bool> IsEmulated32On64() override;
  bool RunsUnderEmulation() override { return false; }

  bool SetCurrentDirectory(const std::string&) override { return false; }
  bool StartProcess(const std::string&, const std::vector<std::string>&) override { return false; }
  std::unique_ptr<platform::Module> LoadModule(const std::string&) override { return nullptr; }
  platform::OsVersion Version() override { return {}; }
  uint32_t UserDefaultLocale() override { return 1033; }
  uint32_t SystemDefaultLocale() override { return 1033; }
};

// Processors 0..count-1; a pinned thread runs on the lowest processor of its mask.
class FakeProcessors : public platform::Processors {
 public:
  unsigned systemCount = 2;
  uint64_t systemMask = 0x3;
  uint64_t processMask = 0x3;
  uint64_t threadMask = 0x3;
  std::vector<uint64_t> affinityCalls;
  std::vector<std::string> log;  // "pin <mask>" and "yield", in order

  unsigned SystemCount() override { return systemCount; }
  uint64_t SystemAffinityMask() override { return systemMask; }
  uint64_t ProcessAffinityMask() override { return processMask; }
  bool SetThreadAffinity(uint64_t mask) override;
  void YieldThread() override { log.push_back("yield"); }
  unsigned CurrentProcessor() override;
};

// CPUID leaves per processor, answered for whichever processor the thread is on.
class FakeCpu : public platform::CpuInstructions {
 public:
  explicit FakeCpu(FakeProcessors& processors) : processors_(processors) {}
  std::map<unsigned, std::map<std::pair<uint32_t, uint32_t>, platform::CpuidResult>> leaves;
  std::vector<unsigned> askedOn;  // processor of each leaf-0 query

  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTimeStampCounter() override { return 0; }
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t) override { return std::nullopt; }
  void SpinDelay(uint32_t) override {}

 private:
  FakeProcessors& processors_;
};

// The whole platform view, with inert stand-ins for what the hardware layer never uses.
struct FakePlatform {
  DriverWorld world;
  FakeSystem system;
  FakeProcessors processors;
  FakeCpu cpu{processors};
  FakeServiceControl serviceControl{world};
  FakeDeviceIo deviceIo{world};

  struct NoRegistry : platform::Registry {
    std::unique_ptr<platform::RegistryKey> OpenUserKey(const std::string&, bool) override {
      return nullptr;
    }
  } registry;
  struct NoEvents : platform::NamedEvents {
    std::unique_ptr<platform::NamedEvent> Create(const std::string&, bool&) override {
      return nullptr;
    }
  } events;
  struct NoWindows : platform::Windows {
    std::unique_ptr<platform::WindowPeer> Find(const std::string&, const std::string&) override {
      return nullptr;
    }
    std::unique_ptr<platform::PublishedWindow> Publish(const std::string&, const std::string&,
                                                       platform::WindowHandler&) override {
      return nullptr;
    }
  } windows;

  linux_os::LinuxOsEntryPoints entryPoints;
  sim::SimPower power;
  sim::SimPriorities priorities;
  linux_os::LinuxLogFiles logFiles;
  linux_os::LinuxLocalClock localClock;
  linux_os::LinuxProcesses processes;
  testing::NoKernelCpu kernelCpu;
  sim::RecordingAutostart autostart;
  platform::Platform view{cpu,        processors, serviceControl, deviceIo,  registry,   events,
                          windows,    system,     entryPoints,    power,     priorities, logFiles,
                          localClock, processes,  kernelCpu,      autostart, power};

  // The helper beside the program, startable, for the 64-bit system by default.
  void InstallHelperFile(const std::string& name = "Portex64");
};

}  // namespace pacetta::testing
