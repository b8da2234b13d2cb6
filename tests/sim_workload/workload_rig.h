#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine/k8_northbridge.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/workload/workload.h"
#include "tests/sim_models/model_rig.h"

namespace pacetta::sim::testing {

constexpr uint64_t kSecond = 1'000'000'000;

// Time that moves only when the test moves it, or when a simulated processor waits.
class ManualClock final : public SimClock {
 public:
  explicit ManualClock(uint64_t startNs = kSecond) : now_(startNs) {}
  uint64_t NowNs() override { return now_.load(); }
  void WaitUntil(uint64_t ns) override {
    uint64_t now = now_.load();
    while (now < ns && !now_.compare_exchange_weak(now, ns)) {
    }
  }
  void Advance(uint64_t ns) { now_ += ns; }

 private:
  std::atomic<uint64_t> now_;
};

inline WorkloadOptions Options(const std::string& load, const std::string& thermal = "") {
  std::string error;
  auto options = ParseWorkloadOptions(load, thermal, error);
  EXPECT_TRUE(options.has_value()) << error;
  return options.value_or(WorkloadOptions{});
}

// A dual-core K8: both cores in one package, so one northbridge shows both.
inline std::vector<ProcessorSpec> DualCore(const CpuBuilder& builder) {
  std::vector<ProcessorSpec> cores;
  for (uint32_t core = 0; core < 2; ++core) {
    ProcessorSpec processor = builder.Build();
    processor.apicId = core;
    processor.leaves[{0x80000008, 0}].ecx = 1;  // NC: two cores
    cores.push_back(std::move(processor));
  }
  return cores;
}

// Processors with their register models and workload, on a hand-driven clock.
class WorkloadRig {
 public:
  explicit WorkloadRig(std::vector<ProcessorSpec> processors,
                       const WorkloadOptions& options = Options("idle"),
                       std::shared_ptr<platform::OsEntryPoints> host = nullptr) {
    machine_.name = "workload";
    machine_.processors = std::move(processors);
    AddK8Northbridges(machine_);
    ClockNs clock = [c = clock_] { return c->NowNs(); };
    hardware_ = std::make_unique<DriverHardware>(machine_, clock);
    models_ = AttachProcessorModels(machine_, *hardware_, clock);
    workload_ =
        std::make_unique<Workload>(machine_, *hardware_, models_, clock_, options, std::move(host));
  }
  WorkloadRig(ProcessorSpec processor, const WorkloadOptions& options = Options("idle"))
      : WorkloadRig(std::vector<ProcessorSpec>{std::move(processor)}, options) {}
  ~WorkloadRig() { workload_.reset(); }

  void Advance(uint64_t ns) { clock_->Advance(ns); }
  uint64_t Now() { return clock_->NowNs(); }
  uint64_t Read(uint32_t index, unsigned k = 0) {
    uint64_t value = 0;
    EXPECT_TRUE(hardware_->Bank(k)->Read(index, value)) << std::hex << "register " << index;
    return value;
  }
  bool Write(uint32_t index, uint64_t value, unsigned k = 0) {
    return hardware_->Bank(k)->Write(index, value);
  }
  uint32_t ReadPci(uint32_t devfn, uint32_t offset) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < 4; ++i)
      value |= uint32_t{hardware_->Pci().ReadByte(0, devfn, offset + i)} << 8 * i;
    return value;
  }
  void WritePci(uint32_t devfn, uint32_t offset, uint32_t value) {
    for (uint32_t i = 0; i < 4; ++i)
      hardware_->Pci().WriteByte(0, devfn, offset + i, static_cast<uint8_t>(value >> 8 * i));
  }
  ProcessorTruth Truth(unsigned k = 0) { return workload_->Truth(k).value_or(ProcessorTruth{}); }
  ModelState State(unsigned k = 0) { return models_.State(k).value_or(ModelState{}); }
  Workload& Load() { return *workload_; }
  DriverHardware& Hardware() { return *hardware_; }
  std::vector<Violation> Violations() { return hardware_->Violations().Entries(); }

 private:
  std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
  MachineSpec machine_;
  std::unique_ptr<DriverHardware> hardware_;
  ProcessorModels models_;
  std::unique_ptr<Workload> workload_;
};

}  // namespace pacetta::sim::testing
