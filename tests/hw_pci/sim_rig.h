#pragma once
// The real driver class over the simulated driver device of a machine the test builds,
// with every request the program sends recorded with its input words.
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "hw/portex_driver.h"
#include "platform/linux/linux_local_clock.h"
#include "platform/linux/linux_log_files.h"
#include "platform/linux/linux_os_entry_points.h"
#include "platform/linux/linux_processes.h"
#include "platform/platform.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "platform/sim/driver/service_store.h"
#include "platform/sim/driver/sim_driver.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/pc/sim_cpu_instructions.h"
#include "platform/sim/pc/sim_priorities.h"
#include "platform/sim/pc/sim_processors.h"
#include "platform/sim/power/sim_power.h"
#include "tests/test_support/no_kernel_cpu.h"

namespace pacetta::testing {

struct SentRequest {
  uint32_t code = 0;
  std::vector<uint32_t> words;  // the input block
  bool succeeded = false;
};

class RequestRecorder {
 public:
  void Add(SentRequest request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
  }
  std::vector<SentRequest> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<SentRequest> requests_;
};

class RecordingDevice : public platform::Device {
 public:
  RecordingDevice(std::unique_ptr<platform::Device> device, RequestRecorder& recorder)
      : device_(std::move(device)), recorder_(recorder) {}
  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override {
    SentRequest request{code, std::vector<uint32_t>(inSize / 4), false};
    if (in != nullptr && inSize >= 4) std::memcpy(request.words.data(), in, inSize / 4 * 4);
    request.succeeded = device_->Control(code, in, inSize, out, outSize, returned);
    const bool succeeded = request.succeeded;
    recorder_.Add(std::move(request));
    return succeeded;
  }

 private:
  std::unique_ptr<platform::Device> device_;
  RequestRecorder& recorder_;
};

class RecordingDeviceIo : public platform::DeviceIo {
 public:
  RecordingDeviceIo(platform::DeviceIo& inner, RequestRecorder& recorder)
      : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override {
    auto device = inner_.OpenDevice(path);
    if (!device) return nullptr;
    return std::make_unique<RecordingDevice>(std::move(device), recorder_);
  }

 private:
  platform::DeviceIo& inner_;
  RequestRecorder& recorder_;
};

// The program's folder holds the driver file; the word size is the machine's.
class RigSystem : public platform::System {
 public:
  explicit RigSystem(bool system64) : system64_(system64) {}
  std::string ProgramPath() override { return "/opt/pacetta/pacetta"; }
  bool SetCurrentDirectory(const std::string&) override { return true; }
  bool FileExists(const std::string&) override { return true; }
  bool StartProcess(const std::string&, const std::vector<std::string>&) override { return false; }
  std::unique_ptr<platform::Module> LoadModule(const std::string&) override { return nullptr; }
  void Sleep(std::chrono::milliseconds) override {}
  uint32_t TickCount() override { return 0; }
  platform::OsVersion Version() override { return {6, 1, 7601, platform::kPlatformNt}; }
  std::optional<bool> IsEmulated32On64() override { return system64_; }
  bool RunsUnderEmulation() override { return false; }
  uint32_t UserDefaultLocale() override { return 1033; }
  uint32_t SystemDefaultLocale() override { return 1033; }

 private:
  bool system64_;
};

struct NoRegistry : platform::Registry {
  std::unique_ptr<platform::RegistryKey> OpenUserKey(const std::string&, bool) override {
    return nullptr;
  }
};
struct NoEvents : platform::NamedEvents {
  std::unique_ptr<platform::NamedEvent> Create(const std::string&, bool& existed) override {
    existed = false;
    return nullptr;
  }
};
struct NoWindows : platform::Windows {
  std::unique_ptr<platform::WindowPeer> Find(const std::string&, const std::string&) override {
    return nullptr;
  }
  std::unique_ptr<platform::PublishedWindow> Publish(const std::string&, const std::string&,
                                                     platform::WindowHandler&) override {
    return nullptr;
  }
};

// One simulated machine with the program's driver open on it.
class SimRig {
 public:
  explicit SimRig(sim::MachineSpec spec, sim::SimFaults faults = {})
      : machine(std::move(spec)),
        processors(machine),
        cpu(machine, processors),
        simDriver(machine, std::make_unique<sim::MemoryServiceStore>(), Host(), std::move(faults)),
        system(machine.system64),
        deviceIo(simDriver.DeviceIo(), recorder),
        view{cpu,        processors, simDriver.ServiceControl(),
             deviceIo,   registry,   events,
             windows,    system,     entryPoints,
             power,      priorities, logFiles,
             localClock, processes,  kernelCpu,
             autostart,  power},
        driver(view) {
    opened = driver.Open(0) == 0;
    recorder.Take();  // the opening's own requests
  }

  sim::MsrBank& Bank(unsigned processor) { return *simDriver.Hardware().Bank(processor); }
  // Plugs in the processors' family models. The machine's clock moves a microsecond at
  // every look, so a transition completes while the program polls for it.
  void AttachModels() {
    models = sim::AttachProcessorModels(machine, simDriver.Hardware(), [this] { return Tick(); });
  }
  std::vector<sim::Violation> Violations() { return simDriver.Hardware().Violations().Entries(); }
  std::vector<SentRequest> Requests() { return recorder.Take(); }

  std::atomic<uint64_t> nowNs{0};  // the machine's clock
  sim::MachineSpec machine;
  sim::SimProcessors processors;
  sim::SimCpuInstructions cpu;
  sim::SimDriver simDriver;
  RigSystem system;
  RequestRecorder recorder;
  RecordingDeviceIo deviceIo;
  NoRegistry registry;
  NoEvents events;
  NoWindows windows;
  linux_os::LinuxOsEntryPoints entryPoints;
  sim::SimPower power;
  sim::SimPriorities priorities;
  linux_os::LinuxLogFiles logFiles;
  linux_os::LinuxLocalClock localClock;
  linux_os::LinuxProcesses processes;
  testing::NoKernelCpu kernelCpu;
  sim::RecordingAutostart autostart;
  platform::Platform view;
  CPortexDriver driver;
  bool opened = false;
  sim::ProcessorModels models;

 private:
  uint64_t Tick() { return nowNs += 1000; }

  sim::SimDriverHost Host() {
    sim::SimDriverHost host;
    host.processId = 4242;
    host.processAlive = [](int) { return true; };
    host.fileExists = [](const std::string&) { return true; };
    host.currentProcessor = [this] { return processors.CurrentProcessor(); };
    host.clockNs = [this] { return Tick(); };
    host.readTsc = [] { return uint64_t{0}; };
    return host;
  }
};

// A PCI function whose configuration bytes are their own offsets, unless given.
inline sim::PciDeviceSpec PciFunction(uint32_t bus, uint32_t devfn,
                                      std::vector<uint8_t> config = {}) {
  if (config.empty()) {
    config.resize(256);
    for (unsigned i = 0; i < 256; ++i) config[i] = static_cast<uint8_t>(i);
  }
  config.resize(256, 0);
  return {bus, devfn, std::move(config)};
}

}  // namespace pacetta::testing
