#include "platform/sim/models/intel_perf_model.h"

#include <algorithm>

namespace pacetta::sim {

using namespace intel;

IntelPerfModel::IntelPerfModel(const ProcessorTraits& traits, const PowerOnData& data,
                               const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock)
    : FamilyModel(std::move(clock)), traits_(traits), layout_(LayoutOf(traits.family)) {
  const PowerOnRegisters powerOn = ComposePowerOn(traits, data);
  for (const PlainRegister& reg : powerOn.plain) {
    registers_.Define(reg.index, StartValue(msrStart, reg.index, reg.value), reg.writable);
  }
  miscEnable_ = StartValue(msrStart, kMiscEnable, powerOn.miscEnable);
  miscEnableWritable_ = powerOn.miscEnableWritable;
  for (const PlainRegister& reg : powerOn.plain) {
    if (reg.index == kTherm2Control || reg.index == kMiscPowerManagement ||
        reg.index == kPmConfig) {
      strictWritable_[reg.index] = reg.writable;
    }
  }
  clockModulation_ = StartValue(msrStart, kClockModulation, 0) & kModulationWritable;
  current_ = data.high;
  if (powerOn.perfStatus) {
    const uint64_t status = StartValue(msrStart, kPerfStatus, *powerOn.perfStatus);
    const bool speedStep = layout_ == Layout::kSpeedStep;
    current_ = {(speedStep ? kCoreFid : kFid).Get(status), kVid.Get(status)};
    superLfm_ = speedStep && traits.dffs && (status & kSuperLfm) != 0;
    perfStatusLimits_ = status & ~uint64_t{0xFFFF};
    hasPerfRegisters_ = true;
    perfControl_ = StartValue(msrStart, kPerfControl, powerOn.perfControl);
    perfControlWritable_ = powerOn.perfControlWritable;
    limits_ = DecodeLimits(layout_, traits.ida, status, registers_.Get(kEbcFrequency),
                           registers_.Get(kPlatformInfo));
  } else if (const auto ebc = registers_.Get(kEbcFrequency)) {
    current_.fid = BitField{31, 24}.Get(*ebc);
  }
}

std::vector<uint32_t> IntelPerfModel::AnsweredRegisters() const {
  std::vector<uint32_t> answered = {kMiscEnable};
  if (HasPerfRegisters()) answered.insert(answered.end(), {kPerfStatus, kPerfControl});
  if (traits_.clockModulation) answered.push_back(kClockModulation);
  for (uint32_t index :
       {kPlatformId, kPowerOnConfig, kEbcFrequency, kEbcFrequencyRange, kFsbFrequency,
        kPlatformInfo, kPmConfig, kTherm2Control, kPlatformBrv, kMiscPowerManagement}) {
    if (registers_.Has(index)) answered.push_back(index);
  }
  return answered;
}

uint64_t IntelPerfModel::PerfStatus() const {
  uint64_t value = perfStatusLimits_ | kVid.Put(kFid.Put(0, current_.fid), current_.vid);
  if (superLfm_) value |= kSuperLfm;
  return value;
}

MsrAccess IntelPerfModel::ReadLocked(uint32_t index, uint64_t& value) {
  if (index == kPerfStatus && HasPerfRegisters()) {
    value = PerfStatus();
  } else if (index == kPerfControl && HasPerfRegisters()) {
    value = perfControl_;
  } else if (index == kClockModulation && traits_.clockModulation) {
    value = clockModulation_;
  } else if (index == kMiscEnable) {
    value = miscEnable_;
  } else {
    return registers_.Read(index, value);
  }
  return MsrAccess::kDone;
}

MsrAccess IntelPerfModel::WriteLocked(MsrContext& context, uint32_t index, uint64_t value) {
  if (index == kPerfStatus && HasPerfRegisters()) return MsrAccess::kFault;  // read-only
  if (index == kPerfControl && HasPerfRegisters()) return WritePerfControl(context, value);
  if (index == kClockModulation && traits_.clockModulation) {
    return WriteClockModulation(context, value);
  }
  if (index == kMiscEnable) return WriteMiscEnable(value);
  if (const auto strict = strictWritable_.find(index); strict != strictWritable_.end()) {
    // Setting a reserved bit faults; a read-only bit already set may be written back.
    if ((value & ~strict->second & ~registers_.Get(index).value_or(0)) != 0) {
      return MsrAccess::kFault;
    }
  }
  return registers_.Write(index, value);
}

std::optional<std::string> IntelPerfModel::Refusal(OperatingPoint requested,
                                                   bool idaEngaged) const {
  uint32_t maxFid = limits_.maxFid;
  uint32_t maxVid = limits_.maxVid;
  // With dynamic acceleration engaged the part also accepts its IDA operating point.
  if (idaEngaged && limits_.ida) {
    maxFid = std::max(maxFid, limits_.ida->fid);
    maxVid = std::max(maxVid, limits_.ida->vid);
  }
  if (requested.fid < limits_.minFid || requested.fid > maxFid) {
    return "FID " + std::to_string(requested.fid) + " outside the processor's range " +
           std::to_string(limits_.minFid) + ".." + std::to_string(maxFid);
  }
  if (requested.vid > maxVid) {
    return "VID " + std::to_string(requested.vid) + " above the maximum VID " +
           std::to_string(maxVid);
  }
  return std::nullopt;
}

MsrAccess IntelPerfModel::WritePerfControl(MsrContext& context, uint64_t value) {
  if ((value & ~perfControlWritable_) != 0) return MsrAccess::kFault;  // reserved bits
  if ((miscEnable_ & kEistEnable) == 0) {
    perfControl_ = value;  // latched, but the hardware coordination is off
    return MsrAccess::kDone;
  }
  const bool speedStep = layout_ == Layout::kSpeedStep;
  const OperatingPoint requested{(speedStep ? kCoreFid : kFid).Get(value), kVid.Get(value)};
  const bool idaEngaged = traits_.ida && (value & kIdaDisengage) == 0;
  if (auto refusal = Refusal(requested, idaEngaged)) {
    Refuse(context, kPerfControl, value, *refusal);
    return MsrAccess::kDone;
  }
  perfControl_ = value;
  // Super LFM halves the bus only where DFFS exists and is enabled (MSR 0EEh bit 28).
  const bool dffsOn = traits_.dffs && (registers_.Get(kPmConfig).value_or(0) & kDffsEnable);
  const bool superLfm = speedStep && dffsOn && (value & kSuperLfm) != 0;
  // A new request replaces one still in progress: the part heads for the latest.
  pending_ = Pending{requested, superLfm, Now() + kTransitionNs};
  return MsrAccess::kDone;
}

MsrAccess IntelPerfModel::WriteClockModulation(MsrContext& context, uint64_t value) {
  if ((value & ~kModulationWritable) != 0) return MsrAccess::kFault;  // reserved bits
  // Duty cycle 000b is reserved: the clock would never run.
  if ((value & kModulationEnable) != 0 && kDutyCycle.Get(value) == 0) {
    Refuse(context, kClockModulation, value,
           "clock modulation enabled with the reserved duty "
           "cycle 0");
    return MsrAccess::kDone;
  }
  clockModulation_ = value;
  return MsrAccess::kDone;
}

MsrAccess IntelPerfModel::WriteMiscEnable(uint64_t value) {
  // Setting a reserved bit faults (Enhanced SpeedStep and its lock too where CPUID has
  // none); read-only bits, and any bit already set, may be written back as read.
  const uint64_t reserved = ~(miscEnableWritable_ | kMiscEnableReadOnly) & ~miscEnable_;
  if ((value & reserved) != 0) return MsrAccess::kFault;
  uint64_t next = (miscEnable_ & kMiscEnableReadOnly) | (value & ~kMiscEnableReadOnly);
  if (miscEnable_ & kEistLock) {
    // The select lock is write-once and freezes the enable bit.
    next = (next & ~kEistEnable) | (miscEnable_ & kEistEnable) | kEistLock;
  }
  miscEnable_ = next;
  return MsrAccess::kDone;
}

bool IntelPerfModel::ThermalMonitorOn() const {
  // The timeline throttles a hot part whichever monitor acts; TM2's own operating point
  // is not modelled.
  switch (traits_.family) {
    case ModelFamily::kCore2:
      return (miscEnable_ & kCore2MonitorEnable) != 0 &&
             (miscEnable_ & (kThermalMonitor | kTm2Enable)) != 0;
    case ModelFamily::kCoreDuo:
    case ModelFamily::kPentium4:
      return (miscEnable_ & (kThermalMonitor | kTm2Enable)) != 0;
    default:
      // Pentium M and C7: bit 3 enables the monitor, MSR_THERM2_CTL bit 16 picks which.
      return (miscEnable_ & kThermalMonitor) != 0;
  }
}

void IntelPerfModel::ShowCurrentRatio() {
  if (const auto ebc = registers_.Get(kEbcFrequency)) {
    registers_.Set(kEbcFrequency, BitField{31, 24}.Put(*ebc, current_.fid));
  }
}

void IntelPerfModel::Settle(uint64_t nowNs) {
  if (!pending_ || nowNs < pending_->endNs) return;
  current_ = pending_->target;
  superLfm_ = pending_->superLfm;
  pending_.reset();
  ShowCurrentRatio();
}

ModelState IntelPerfModel::StateLocked() const {
  ModelState state;
  state.family = traits_.family;
  state.current = current_;
  state.superLfm = superLfm_;
  state.transitionPending = pending_.has_value();
  if (pending_) {
    state.target = pending_->target;
    state.transitionEndNs = pending_->endNs;
    state.targetSuperLfm = pending_->superLfm;
  }
  if (clockModulation_ & kModulationEnable) state.dutyEighths = kDutyCycle.Get(clockModulation_);
  state.thermalMonitor = ThermalMonitorOn();
  return state;
}

}  // namespace pacetta::sim
