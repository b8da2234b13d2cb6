#include "tests/cpu_sensors/sensor_rig.h"

#include <cstring>

#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pinning.h"

namespace pacetta::testing {
namespace {

constexpr uint32_t kAmdCounter0 = 0xC0010004, kIntelCounter0 = 0xC1, kNetBurstCounter0 = 0x300;

class ClockedDevice : public platform::Device {
 public:
  ClockedDevice(std::unique_ptr<platform::Device> inner, MachineClock& clock)
      : inner_(std::move(inner)), clock_(clock) {}
  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override {
    if (code == driver::kRunKernelRoutine && inSize == sizeof(driver::KernelCallBlock)) {
      driver::KernelCallBlock block;
      std::memcpy(&block, in, sizeof block);
      if (block.routine == static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay)) {
        clock_.ns += block.edx * kNsPerPass;
      }
    }
    return inner_->Control(code, in, inSize, out, outSize, returned);
  }

 private:
  std::unique_ptr<platform::Device> inner_;
  MachineClock& clock_;
};

uint32_t CounterBaseOf(const sim::ProcessorSpec& processor) {
  const auto leaf0 = processor.leaves.find({0, 0});
  const auto leaf1 = processor.leaves.find({1, 0});
  if (leaf0 == processor.leaves.end() || leaf1 == processor.leaves.end()) return kIntelCounter0;
  if (leaf0->second.ebx == 0x68747541) return kAmdCounter0;  // "Auth"
  return ((leaf1->second.eax >> 8) & 0xF) == 15 ? kNetBurstCounter0 : kIntelCounter0;
}

sim::MachineSpec MachineOf(std::vector<sim::ProcessorSpec> processors, bool system64,
                           std::vector<sim::PciDeviceSpec> pci) {
  sim::MachineSpec machine;
  machine.system64 = system64;
  machine.processors = std::move(processors);
  machine.pciDevices = std::move(pci);
  return machine;
}

}  // namespace

uint64_t MachineClock::Tsc(unsigned k) const {
  const double rate = k < processors.size() ? processors[k].tscMhz : 1000.0;
  return static_cast<uint64_t>(static_cast<double>(ns.load()) * rate / 1000.0);
}

uint64_t MachineClock::Busy(unsigned k) const {
  if (k >= processors.size()) return 0;
  const ProcessorClock& p = processors[k];
  return p.busyStart +
         static_cast<uint64_t>(static_cast<double>(ns.load()) * p.coreMhz / 1000.0 * p.busyShare);
}

void MachineClock::ChangeBusyShare(unsigned k, double share) {
  const uint64_t now = Busy(k);
  ProcessorClock& p = processors[k];
  p.busyShare = share;
  p.busyStart =
      now - static_cast<uint64_t>(static_cast<double>(ns.load()) * p.coreMhz / 1000.0 * share);
}

std::unique_ptr<platform::Device> ClockedDeviceIo::OpenDevice(const std::string& path) {
  auto device = inner_.OpenDevice(path);
  if (!device) return nullptr;
  return std::make_unique<ClockedDevice>(std::move(device), clock_);
}

sim::MsrAccess BusyCounter::Read(sim::MsrContext&, uint32_t index, uint64_t& value) {
  if (index != kAmdCounter0 && index != kIntelCounter0 && index != kNetBurstCounter0) {
    return sim::MsrAccess::kNotHandled;
  }
  value = clock_.Busy(processor_);
  return sim::MsrAccess::kDone;
}

sim::ProcessorSpec Processor(const ProcessorLeaves& leaves,
                             std::map<uint32_t, uint64_t> registers) {
  sim::ProcessorSpec processor;
  processor.apicId = leaves.apicId;
  uint32_t words[3] = {};
  std::memcpy(words, leaves.vendor.data(), std::min<size_t>(leaves.vendor.size(), sizeof words));
  processor.leaves[{0, 0}] = {6, words[0], words[2], words[1]};
  processor.leaves[{1, 0}] = {leaves.signature, leaves.apicId << 24, leaves.leaf1Ecx,
                              leaves.leaf1Edx};
  processor.leaves[{6, 0}] = {leaves.leaf6Eax, 0, 0, 0};
  processor.leaves[{0x80000000, 0}] = {0x80000008, 0, 0, 0};
  processor.leaves[{0x80000007, 0}] = {0, 0, 0, leaves.powerManagementEdx};
  // The event selections and IA32_MISC_ENABLE are present, so their writes succeed.
  for (uint32_t index : {0xC0010000u, 0x186u, 0x187u, 0x3A2u, 0x360u}) registers.emplace(index, 0);
  registers.emplace(0x1A0, 0x80);
  processor.msrStart = std::move(registers);
  return processor;
}

SensorRig::SensorRig(std::vector<sim::ProcessorSpec> processorSpecs, bool system64,
                     std::vector<sim::PciDeviceSpec> pci)
    : machine(MachineOf(std::move(processorSpecs), system64, std::move(pci))),
      processors(machine),
      simCpu(machine, processors),
      cpu(simCpu, processors, clock),
      simDriver(machine, std::make_unique<sim::MemoryServiceStore>(),
                [this] {
                  sim::SimDriverHost host;
                  host.processId = 4242;
                  host.processAlive = [](int) { return true; };
                  host.fileExists = [](const std::string&) { return true; };
                  host.currentProcessor = [this] { return processors.CurrentProcessor(); };
                  host.clockNs = [this] { return clock.ns.load(); };
                  host.readTsc = [this] { return cpu.ReadTimeStampCounter(); };
                  return host;
                }(),
                {}),
      system(machine.system64),
      clockedIo(simDriver.DeviceIo(), clock),
      deviceIo(clockedIo, recorder),
      entryPoints(clock),
      view{cpu,        processors, simDriver.ServiceControl(),
           deviceIo,   registry,   events,
           windows,    system,     entryPoints,
           power,      priorities, logFiles,
           localClock, processes,  kernelCpu,
           autostart,  power},
      driver(view),
      northbridge(driver),
      sensors{driver, cpu, optionalEntryPoints, &northbridge} {
  clock.processors.resize(machine.processors.size());
  simCpu.AttachHardware(simDriver.Hardware());
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    Bank(k).SetPerformanceCounterBase(CounterBaseOf(machine.processors[k]));
    Bank(k).AddHandler(std::make_shared<BusyCounter>(clock, k));
  }
  optionalEntryPoints.Resolve(entryPoints, system);
  driver.Open(0);
  recorder.Take();
}

CpuInfo SensorRig::Identify(unsigned k) {
  CpuInfo info;
  info.index = k;
  IdentifyContext context{processors, cpu, driver, nullptr};
  IdentifyProcessor(info, context);
  recorder.Take();
  return info;
}

CpuInfo SensorRig::IdentifyWithReadings(unsigned k) {
  CpuInfo info;
  info.index = k;
  PStateHardware pstates{driver, processors, {}};
  ReadingsCompletion completion(pstates, sensors);
  IdentifyContext context{processors, cpu, driver, &completion};
  IdentifyProcessor(info, context);
  return info;
}

void SensorRig::Pin(unsigned k) {
  PinToProcessor(processors, k);
}

std::optional<uint64_t> SensorRig::Register(unsigned k, uint32_t index) {
  return Bank(k).WithStorage([&](sim::MsrStorage& storage) { return storage.Get(index); });
}

std::vector<std::pair<uint32_t, uint32_t>> SensorRig::MsrWrites() {
  std::vector<std::pair<uint32_t, uint32_t>> writes;
  for (const SentRequest& request : Requests()) {
    if (request.code == driver::kWriteMsr) writes.emplace_back(request.words[0], request.words[2]);
  }
  return writes;
}

}  // namespace pacetta::testing
