#include "tests/cpu_identify/test_doubles.h"

#include <algorithm>
#include <cstring>

#include "hw/driver_protocol.h"
#include "platform/linux/linux_local_clock.h"
#include "platform/linux/linux_log_files.h"
#include "platform/linux/linux_os_entry_points.h"
#include "platform/linux/linux_processes.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "platform/sim/pc/sim_priorities.h"
#include "platform/sim/power/sim_power.h"
#include "tests/test_support/no_kernel_cpu.h"

namespace pacetta::testing {

platform::CpuidResult FakeCpu::Cpuid(uint32_t leaf, uint32_t subleaf) {
  executed_.emplace_back(leaf, subleaf);
  const auto found = leaves_.find({leaf, subleaf});
  return found == leaves_.end() ? platform::CpuidResult{} : found->second;
}

bool FakeCpu::Executed(uint32_t leaf) const {
  return std::any_of(executed_.begin(), executed_.end(),
                     [leaf](const auto& entry) { return entry.first == leaf; });
}

bool FakeProcessors::SetThreadAffinity(uint64_t mask) {
  masks.push_back(mask);
  for (unsigned k = 0; k < 64; ++k) {
    if (mask & (uint64_t{1} << k)) {
      current_ = k;
      break;
    }
  }
  return mask != 0;
}

namespace {

class RegisterDevice : public platform::Device {
 public:
  explicit RegisterDevice(std::map<uint32_t, uint64_t>& registers, std::map<uint32_t, int>& reads)
      : registers_(registers), reads_(reads) {}

  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override {
    if (code == driver::kChangeUseCount && inSize == 8 && outSize == 8) {
      uint32_t block[2];
      std::memcpy(block, in, sizeof block);
      useCount_ += static_cast<int32_t>(block[1]);
      block[0] = static_cast<uint32_t>(useCount_);
      std::memcpy(out, block, sizeof block);
      *returned = 8;
      return true;
    }
    if (code == driver::kReadMsr && inSize == sizeof(MsrRequest) && outSize == inSize) {
      MsrRequest request;
      std::memcpy(&request, in, sizeof request);
      ++reads_[request.index];
      const auto found = registers_.find(request.index);
      if (found == registers_.end()) return false;
      request.high = static_cast<uint32_t>(found->second >> 32);
      request.low = static_cast<uint32_t>(found->second);
      std::memcpy(out, &request, sizeof request);
      *returned = sizeof request;
      return true;
    }
    return false;
  }

 private:
  std::map<uint32_t, uint64_t>& registers_;
  std::map<uint32_t, int>& reads_;
  int32_t useCount_ = 0;
};

class RunningService : public platform::Service {
 public:
  bool Start() override { return true; }
  bool QueryStatus(platform::ServiceStatus& status) override {
    status = {platform::ServiceState::kRunning, 0, 0};
    return true;
  }
  bool Stop() override { return true; }
  bool Delete() override { return true; }
};

class OneServiceManager : public platform::ServiceManager {
 public:
  std::unique_ptr<platform::Service> CreateDriverService(const std::string&, const std::string&,
                                                         const std::string&) override {
    return nullptr;
  }
  std::unique_ptr<platform::Service> OpenService(const std::string&) override {
    return std::make_unique<RunningService>();
  }
};

class AlwaysServiceControl : public platform::ServiceControl {
 public:
  std::unique_ptr<platform::ServiceManager> OpenManager() override {
    return std::make_unique<OneServiceManager>();
  }
};

class RegisterDeviceIo : public platform::DeviceIo {
 public:
  RegisterDeviceIo(std::map<uint32_t, uint64_t>& registers, std::map<uint32_t, int>& reads)
      : registers_(registers), reads_(reads) {}
  std::unique_ptr<platform::Device> OpenDevice(const std::string&) override {
    return std::make_unique<RegisterDevice>(registers_, reads_);
  }

 private:
  std::map<uint32_t, uint64_t>& registers_;
  std::map<uint32_t, int>& reads_;
};

// The parts of the system the driver asks about while opening.
class DriverSystem : public platform::System {
 public:
  std::string ProgramPath() override { return "/opt/pacetta/pacetta"; }
  bool SetCurrentDirectory(const std::string&) override { return true; }
  bool FileExists(const std::string&) override { return true; }
  bool StartProcess(const std::string&, const std::vector<std::string>&) override { return false; }
  std::unique_ptr<platform::Module> LoadModule(const std::string&) override { return nullptr; }
  void Sleep(std::chrono::milliseconds) override {}
  uint32_t TickCount() override { return 0; }
  platform::OsVersion Version() override { return {6, 1, 7601, platform::kPlatformNt}; }
  std::optional<bool> IsEmulated32On64() override { return true; }
  bool RunsUnderEmulation() override { return false; }
  uint32_t UserDefaultLocale() override { return 0x409; }
  uint32_t SystemDefaultLocale() override { return 0x409; }
};

class NoRegistry : public platform::Registry {
 public:
  std::unique_ptr<platform::RegistryKey> OpenUserKey(const std::string&, bool) override {
    return nullptr;
  }
};

class NoEvents : public platform::NamedEvents {
 public:
  std::unique_ptr<platform::NamedEvent> Create(const std::string&, bool& alreadyExisted) override {
    alreadyExisted = false;
    return nullptr;
  }
};

class NoWindows : public platform::Windows {
 public:
  std::unique_ptr<platform::WindowPeer> Find(const std::string&, const std::string&) override {
    return nullptr;
  }
  std::unique_ptr<platform::PublishedWindow> Publish(const std::string&, const std::string&,
                                                     platform::WindowHandler&) override {
    return nullptr;
  }
};

}  // namespace

struct DriverWithRegisters::Backend {
  std::map<uint32_t, uint64_t> registers;
  std::map<uint32_t, int> reads;
  FakeCpu cpu;
  FakeProcessors processors;
  AlwaysServiceControl serviceControl;
  RegisterDeviceIo deviceIo{registers, reads};
  NoRegistry registry;
  NoEvents events;
  NoWindows windows;
  DriverSystem system;
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
};

DriverWithRegisters::DriverWithRegisters() : backend_(std::make_unique<Backend>()) {
  driver_ = std::make_unique<CPortexDriver>(backend_->view);
  driver_->Open(0);
}

DriverWithRegisters::~DriverWithRegisters() {
  // The driver closes through the backend, so it must go first.
  driver_.reset();
}

void DriverWithRegisters::SetRegister(uint32_t index, uint64_t value) {
  backend_->registers[index] = value;
}

int DriverWithRegisters::ReadsOf(uint32_t index) const {
  const auto found = backend_->reads.find(index);
  return found == backend_->reads.end() ? 0 : found->second;
}

FakeCpu& DriverWithRegisters::cpu() {
  return backend_->cpu;
}
FakeProcessors& DriverWithRegisters::processors() {
  return backend_->processors;
}

platform::CpuidResult VendorLeaf(const std::string& vendor, uint32_t highestLeaf) {
  uint32_t words[3] = {};
  std::memcpy(words, vendor.data(), std::min<std::size_t>(vendor.size(), sizeof words));
  // The vendor string is EBX, EDX, ECX.
  return {highestLeaf, words[0], words[2], words[1]};
}

CpuInfo RecordFor(const std::string& vendor, uint32_t signature, uint32_t leaf1Ebx) {
  CpuInfo info;
  info.standardLeaves[0] = VendorLeaf(vendor, 6);
  info.standardLeaves[1] = {signature, leaf1Ebx, 0, 0};
  return info;
}

}  // namespace pacetta::testing
