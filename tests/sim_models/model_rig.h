#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/models/attach_models.h"

namespace pacetta::sim::testing {

// A processor's identification leaves, written field by field.
class CpuBuilder {
 public:
  CpuBuilder(const std::string& vendor, uint32_t signature, const std::string& brand) {
    platform::CpuidResult zero{};
    zero.eax = 6;
    std::memcpy(&zero.ebx, vendor.data(), 4);
    std::memcpy(&zero.edx, vendor.data() + 4, 4);
    std::memcpy(&zero.ecx, vendor.data() + 8, 4);
    leaves_[{0, 0}] = zero;
    leaves_[{1, 0}] = {signature, 0, 0, 0};
    leaves_[{0x80000000, 0}] = {0x80000008, 0, 0, 0};
    SetLeafText(leaves_, 0x80000002, 3, brand);
  }
  CpuBuilder& Features(uint32_t ecx, uint32_t edx) {
    leaves_[{1, 0}].ecx = ecx;
    leaves_[{1, 0}].edx = edx;
    return *this;
  }
  CpuBuilder& PowerManagement(uint32_t edx) {  // leaf 8000_0007h
    leaves_[{0x80000007, 0}].edx = edx;
    return *this;
  }
  CpuBuilder& AmdBrandId(uint32_t ebx) {  // leaf 8000_0001h
    leaves_[{0x80000001, 0}].ebx = ebx;
    return *this;
  }
  CpuBuilder& ThermalPower(uint32_t eax) {  // leaf 6
    leaves_[{6, 0}].eax = eax;
    return *this;
  }
  ProcessorSpec Build(std::map<uint32_t, uint64_t> msrStart = {}) const {
    ProcessorSpec processor;
    processor.leaves = leaves_;
    processor.msrStart = std::move(msrStart);
    return processor;
  }

 private:
  CpuidLeaves leaves_;
};

// Processors of the catalogue's families, as their dumps describe them.
inline CpuBuilder AthlonVenice() {  // Athlon 64 3200+, revision E3
  return CpuBuilder("AuthenticAMD", 0x20FF0, "AMD Athlon(tm) 64 Processor 3200+")
      .PowerManagement(0x3F);
}
inline CpuBuilder TurionX2() {  // revision F, 100 MHz steps
  return CpuBuilder("AuthenticAMD", 0x40F82, "AMD Turion(tm) 64 X2 Mobile Technology TL-56")
      .PowerManagement(0x7F);
}
inline CpuBuilder MobileAthlonXpM() {
  return CpuBuilder("AuthenticAMD", 0x6A0, "mobile AMD Athlon(tm) XP-M 2500+")
      .PowerManagement(0x07);
}
inline CpuBuilder PentiumMDothan() {  // CPUID 1: EST, TM2, ACPI clock control
  return CpuBuilder("GenuineIntel", 0x6D6, "Intel(R) Pentium(R) M processor 1.60GHz")
      .Features(0x180, 0xAFE9F9BF);
}
inline CpuBuilder Core2T7500() {  // leaf 6: DTS and IDA
  return CpuBuilder("GenuineIntel", 0x6FA, "Intel(R) Core(TM)2 Duo CPU     T7500  @ 2.20GHz")
      .Features(0xE3BD, 0xBFEBFBFF)
      .ThermalPower(0x3);
}
inline CpuBuilder Pentium4Prescott() {  // no Enhanced SpeedStep
  return CpuBuilder("GenuineIntel", 0xF34, "Intel(R) Pentium(R) 4 CPU 3.00GHz")
      .Features(0x441D, 0xBFEBFBFF);
}
inline CpuBuilder ViaEsther() {
  return CpuBuilder("CentaurHauls", 0x6A9, "VIA Esther processor 1500MHz")
      .Features(0x181, 0xA7C9BBFF);
}

// A machine of the given processors, its driver hardware with the models attached and a
// clock the test moves by hand.
class ModelRig {
 public:
  explicit ModelRig(std::vector<ProcessorSpec> processors) {
    machine_.name = "models";
    machine_.processors = std::move(processors);
    hardware_ = std::make_unique<DriverHardware>(machine_, Clock());
    models_ = AttachProcessorModels(machine_, *hardware_, Clock());
  }
  explicit ModelRig(ProcessorSpec processor)
      : ModelRig(std::vector<ProcessorSpec>{std::move(processor)}) {}

  ClockNs Clock() {
    return [now = now_] { return now->load(); };
  }
  void Advance(uint64_t ns) { *now_ += ns; }

  bool TryRead(uint32_t index, uint64_t& value, unsigned processor = 0) {
    return hardware_->Bank(processor)->Read(index, value);
  }
  uint64_t Read(uint32_t index, unsigned processor = 0) {
    uint64_t value = 0;
    EXPECT_TRUE(TryRead(index, value, processor)) << std::hex << "register " << index;
    return value;
  }
  bool Write(uint32_t index, uint64_t value, unsigned processor = 0) {
    return hardware_->Bank(processor)->Write(index, value);
  }

  ModelState State(unsigned processor = 0) {
    auto state = models_.State(processor);
    EXPECT_TRUE(state.has_value());
    return state.value_or(ModelState{});
  }
  std::vector<Violation> Violations() { return hardware_->Violations().Entries(); }
  DriverHardware& Hardware() { return *hardware_; }
  ProcessorModels& Models() { return models_; }

 private:
  std::shared_ptr<std::atomic<uint64_t>> now_ = std::make_shared<std::atomic<uint64_t>>(1000);
  MachineSpec machine_;
  std::unique_ptr<DriverHardware> hardware_;
  ProcessorModels models_;
};

}  // namespace pacetta::sim::testing
