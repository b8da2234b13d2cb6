#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/sim/models/family_model.h"
#include "platform/sim/models/intel_power_on.h"
#include "platform/sim/models/register_file.h"

namespace pacetta::sim {

// Enhanced SpeedStep (and VIA PowerSaver) performance control of the Pentium M, Core Duo,
// Core 2, Pentium 4 and VIA C7, with clock modulation and the family's identification and
// configuration registers (Intel SDM volume 3, chapter "Power and Thermal Management" and
// the MSR tables).
//
// A write of IA32_PERF_CTL requests an operating point; IA32_PERF_STATUS shows it once the
// transition latency has passed. An operating point outside the part's range is refused
// and recorded; with Enhanced SpeedStep off (IA32_MISC_ENABLE bit 16) the write is kept
// but has no effect. The Pentium 4 model 2 has neither register: its ratio is fixed by the
// chipset's SpeedStep.
class IntelPerfModel final : public FamilyModel {
 public:
  // The parts' documented transition latency (ACPI _PSS latency of 10 µs).
  static constexpr uint64_t kTransitionNs = 10'000;

  IntelPerfModel(const ProcessorTraits& traits, const PowerOnData& data,
                 const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock);

  std::vector<uint32_t> AnsweredRegisters() const override;

 protected:
  MsrAccess ReadLocked(uint32_t index, uint64_t& value) override;
  MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) override;
  void Settle(uint64_t nowNs) override;
  ModelState StateLocked() const override;

 private:
  bool HasPerfRegisters() const { return hasPerfRegisters_; }
  uint64_t PerfStatus() const;
  MsrAccess WritePerfControl(MsrContext& context, uint64_t value);
  MsrAccess WriteClockModulation(MsrContext& context, uint64_t value);
  MsrAccess WriteMiscEnable(uint64_t value);
  std::optional<std::string> Refusal(OperatingPoint requested, bool idaEngaged) const;
  void ShowCurrentRatio();
  // Automatic thermal control acts on the part when it is hot.
  bool ThermalMonitorOn() const;

  const ProcessorTraits traits_;
  const intel::Layout layout_;
  OperatingPoint current_;
  bool superLfm_ = false;
  // IA32_PERF_STATUS apart from the current point: the limit fields.
  uint64_t perfStatusLimits_ = 0;
  bool hasPerfRegisters_ = false;
  uint64_t perfControl_ = 0;
  uint64_t perfControlWritable_ = 0;
  uint64_t clockModulation_ = 0;
  uint64_t miscEnable_ = 0;
  uint64_t miscEnableWritable_ = 0;
  // Registers where setting a bit outside the writable mask faults, with that mask.
  std::map<uint32_t, uint64_t> strictWritable_;
  intel::PerfLimits limits_;
  struct Pending {
    OperatingPoint target;
    bool superLfm;
    uint64_t endNs;
  };
  std::optional<Pending> pending_;
  RegisterFile registers_;
};

}  // namespace pacetta::sim
