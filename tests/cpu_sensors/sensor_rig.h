#pragma once
// A simulated machine whose time passes only while the program waits: every busy wait
// (the user-mode loop and the driver's busy-delay routine) moves the machine's clock by a
// fixed time per pass, and the time-stamp counter, the busy-cycle counters, the 8254 and
// the operating system's counter all follow that clock. Measurements are then exact and
// independent of how loaded the test machine is.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "tests/hw_pci/sim_rig.h"
#include "tests/test_support/no_kernel_cpu.h"

namespace pacetta::testing {

inline constexpr uint64_t kNsPerPass = 40;  // one pass over 120 no-operations

struct ProcessorClock {
  double tscMhz = 1000.0;   // time-stamp counter rate
  double coreMhz = 1000.0;  // core clock while the counter counts
  double busyShare = 1.0;   // share of the time the clock runs (modulation, load)
  uint64_t busyStart = 0;   // counter value at time 0
};

// The clock every device of the rig reads.
struct MachineClock {
  std::atomic<uint64_t> ns{0};
  std::vector<ProcessorClock> processors;
  uint64_t Tsc(unsigned k) const;
  uint64_t Busy(unsigned k) const;
  // From now on processor k is busy for `share` of the time; the counter goes on from
  // where it stands.
  void ChangeBusyShare(unsigned k, double share);
};

// CPUID and user-mode counter reads of the simulated processor; the time-stamp counter
// and the busy loop on the rig's clock.
class ClockedCpu : public platform::CpuInstructions {
 public:
  ClockedCpu(sim::SimCpuInstructions& inner, sim::SimProcessors& processors, MachineClock& clock)
      : inner_(inner), processors_(processors), clock_(clock) {}
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override {
    return inner_.Cpuid(leaf, subleaf);
  }
  uint64_t ReadTimeStampCounter() override {
    return tscFrozen ? 0 : clock_.Tsc(processors_.CurrentProcessor());
  }
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t counter) override {
    return inner_.ReadPerformanceCounter(counter);
  }
  void SpinDelay(uint32_t iterations) override {
    spunOn.push_back(processors_.CurrentProcessor());
    clock_.ns += iterations * kNsPerPass;
  }

  bool tscFrozen = false;
  std::vector<unsigned> spunOn;  // the processor of each busy loop

 private:
  sim::SimCpuInstructions& inner_;
  sim::SimProcessors& processors_;
  MachineClock& clock_;
};

// The operating system's counter at 10 MHz on the rig's clock, or missing.
class ClockedEntryPoints : public platform::OsEntryPoints {
 public:
  explicit ClockedEntryPoints(MachineClock& clock) : clock_(clock) {}
  bool HasProcessorTimes() override { return false; }
  int32_t QueryProcessorTimes(std::span<platform::ProcessorTimes>) override { return -1; }
  bool HasPerformanceCounter() override { return present; }
  int32_t QueryPerformanceCounter(int64_t& counter, int64_t& frequency) override {
    counter = static_cast<int64_t>(clock_.ns / 100);
    frequency = 10'000'000;
    return 0;
  }
  bool HasMessageFilter() override { return false; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override { return false; }

  bool present = true;

 private:
  MachineClock& clock_;
};

// The driver's busy-delay routine takes its time on the rig's clock too.
class ClockedDeviceIo : public platform::DeviceIo {
 public:
  ClockedDeviceIo(platform::DeviceIo& inner, MachineClock& clock) : inner_(inner), clock_(clock) {}
  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override;

 private:
  platform::DeviceIo& inner_;
  MachineClock& clock_;
};

// Counter 0 of every family as one register handler: reads follow the rig's clock, so
// the value depends only on when it is read.
class BusyCounter : public sim::MsrHandler {
 public:
  BusyCounter(MachineClock& clock, unsigned processor) : clock_(clock), processor_(processor) {}
  sim::MsrAccess Read(sim::MsrContext&, uint32_t index, uint64_t& value) override;
  sim::MsrAccess Write(sim::MsrContext&, uint32_t, uint64_t) override {
    return sim::MsrAccess::kNotHandled;
  }

 private:
  MachineClock& clock_;
  unsigned processor_;
};

// CPUID of one processor as a record would be classified from it.
struct ProcessorLeaves {
  std::string vendor = "GenuineIntel";
  uint32_t signature = 0x6D8;
  uint32_t leaf1Ecx = 0, leaf1Edx = 0;
  uint32_t leaf6Eax = 0;
  uint32_t powerManagementEdx = 0;  // leaf 0x80000007 EDX
  uint32_t apicId = 0;
};
sim::ProcessorSpec Processor(const ProcessorLeaves& leaves,
                             std::map<uint32_t, uint64_t> registers = {});

// The whole rig: the machine, its driver opened by the program's driver class, and the
// sensor hardware the readings take.
class SensorRig {
 public:
  explicit SensorRig(std::vector<sim::ProcessorSpec> processors, bool system64 = true,
                     std::vector<sim::PciDeviceSpec> pci = {});

  // The record of processor k, identified and classified (without readings).
  CpuInfo Identify(unsigned k);
  // The record of processor k, identified with the readings completion.
  CpuInfo IdentifyWithReadings(unsigned k);
  void Pin(unsigned k);
  sim::MsrBank& Bank(unsigned k) { return *simDriver.Hardware().Bank(k); }
  std::optional<uint64_t> Register(unsigned k, uint32_t index);
  std::vector<sim::Violation> Violations() { return simDriver.Hardware().Violations().Entries(); }
  // Requests sent since the last call, with their input words.
  std::vector<SentRequest> Requests() { return recorder.Take(); }
  // Model-specific register writes among them: {index, low half}.
  std::vector<std::pair<uint32_t, uint32_t>> MsrWrites();

  MachineClock clock;
  sim::MachineSpec machine;
  sim::SimProcessors processors;
  sim::SimCpuInstructions simCpu;
  ClockedCpu cpu;
  sim::SimDriver simDriver;
  RigSystem system;
  RequestRecorder recorder;
  ClockedDeviceIo clockedIo;
  RecordingDeviceIo deviceIo;
  NoRegistry registry;
  NoEvents events;
  NoWindows windows;
  ClockedEntryPoints entryPoints;
  sim::SimPower power;
  sim::SimPriorities priorities;
  linux_os::LinuxLogFiles logFiles;
  linux_os::LinuxLocalClock localClock;
  linux_os::LinuxProcesses processes;
  testing::NoKernelCpu kernelCpu;
  sim::RecordingAutostart autostart;
  platform::Platform view;
  CPortexDriver driver;
  OptionalEntryPoints optionalEntryPoints;
  CK8Northbridge northbridge;
  SensorHardware sensors;
};

}  // namespace pacetta::testing
