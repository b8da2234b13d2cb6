#include "cpu/advanced/intel/thermal_registers.h"

#include <array>

#include "cpu/advanced/intel/tm2_target.h"
#include "cpu/identify/feature_predicates.h"
#include "hw/pinning.h"

namespace pacetta::intel {
namespace {

constexpr uint64_t Bit(unsigned n) {
  return uint64_t{1} << n;
}

// IA32_MISC_ENABLE.
constexpr uint64_t kTm1Enable = Bit(3), kTm2Enable = Bit(13);
// Core 2: the thermal monitor selected by bit 3 or 13 works only with bit 17 set too.
constexpr uint64_t kCore2MonitorEnable = Bit(17);
constexpr uint64_t kSpeedStepEnable = Bit(16), kSpeedStepLock = Bit(20);
// C1E, C2E, C3E, C4E and hard C4E, in the order of kCStateC1e and up.
constexpr std::array<uint64_t, 5> kCStateBits{Bit(25), Bit(26), Bit(31), Bit(32), Bit(33)};
// MSR_THERM2_CTL: target FID in bits 15:8, VID in 7:0; on the Pentium M and C7 bit 16
// selects TM2 instead of TM1 while 1A0h bit 3 enables the monitor.
constexpr uint64_t kTm2Select = Bit(16);
constexpr uint64_t kTargetFidShift = 8, kTargetMask = 0xFFFF;
constexpr uint64_t kIdaDisengage = Bit(32);
constexpr uint64_t kDffsEnable = Bit(28);
constexpr uint64_t kSyncTm1 = Bit(21), kExtendedThrottling = Bit(20);

struct Support {
  Group group = Group::kNone;
  bool tm1 = false, tm2 = false, cStates = false, ida = false, dffs = false;
};

Support SupportOf(const CpuInfo& cpu) {
  return {GroupOf(cpu),       SupportsTm1(cpu),   SupportsTm2(cpu), SupportsEnhancedHalt(cpu),
          HasIdaFeature(cpu), HasDffsFeature(cpu)};
}

// The C-state bits the group has: the Pentium 4 has C1E only.
uint32_t CStateMask(const Support& support) {
  if (!support.cStates) return 0;
  return support.group == Group::kPentium4 ? kCStateC1e : kCStateAll;
}

uint64_t Put(uint64_t value, uint64_t bits, bool on) {
  return on ? value | bits : value & ~bits;
}

std::optional<uint64_t> ReadMsr(CPortexDriver& driver, uint32_t index) {
  MsrRequest request;
  if (!driver.ReadMsrValue(request, index) || request.IsAllOnes()) return std::nullopt;
  return uint64_t{request.high} << 32 | request.low;
}

bool WriteMsr(CPortexDriver& driver, uint32_t index, uint64_t value) {
  MsrRequest request;
  return driver.WriteMsrValue(request, index, static_cast<uint32_t>(value),
                              static_cast<uint32_t>(value >> 32));
}

// The registers one processor's settings live in, as far as it has them.
struct Registers {
  std::optional<uint64_t> misc, therm2, perf, pmConfig, miscPower;
};

Registers ReadRegisters(CPortexDriver& driver, const Support& support) {
  Registers regs;
  regs.misc = ReadMsr(driver, kMiscEnableMsr);
  if (support.tm2 || support.group == Group::kPentiumM) {
    regs.therm2 = ReadMsr(driver, kTherm2ControlMsr);
  }
  if (support.ida) regs.perf = ReadMsr(driver, kPerfControlMsr);
  if (support.dffs) regs.pmConfig = ReadMsr(driver, kPmConfigMsr);
  if (support.group == Group::kCore2) regs.miscPower = ReadMsr(driver, kMiscPowerManagementMsr);
  return regs;
}

ThermalSettings Decode(const Support& support, const Registers& regs) {
  ThermalSettings out;
  const uint64_t misc = *regs.misc;
  const bool select = regs.therm2 && (*regs.therm2 & kTm2Select) != 0;
  switch (support.group) {
    case Group::kPentiumM:
      out.tm1 = (misc & kTm1Enable) != 0 && !select;
      out.tm2 = (misc & kTm1Enable) != 0 && select;
      break;
    case Group::kCore2:
      out.tm1 = (misc & (kTm1Enable | kCore2MonitorEnable)) == (kTm1Enable | kCore2MonitorEnable);
      out.tm2 = (misc & (kTm2Enable | kCore2MonitorEnable)) == (kTm2Enable | kCore2MonitorEnable);
      break;
    default:
      out.tm1 = (misc & kTm1Enable) != 0;
      out.tm2 = (misc & kTm2Enable) != 0;
      break;
  }
  out.tm1 = out.tm1 && support.tm1;
  out.tm2 = out.tm2 && support.tm2;
  if (support.tm2 && regs.therm2) {
    out.target = {static_cast<uint32_t>(*regs.therm2 >> kTargetFidShift & 0xFF),
                  static_cast<uint32_t>(*regs.therm2 & 0xFF)};
  }
  const uint32_t cStates = CStateMask(support);
  for (size_t n = 0; n < kCStateBits.size(); ++n) {
    if ((cStates & 1u << n) != 0 && (misc & kCStateBits[n]) != 0) out.cStates |= 1u << n;
  }
  if (regs.miscPower) {
    out.syncTm1 = (*regs.miscPower & kSyncTm1) != 0;
    out.extendedThrottling = (*regs.miscPower & kExtendedThrottling) != 0;
  }
  if (regs.perf) out.idaEngaged = (*regs.perf & kIdaDisengage) == 0;
  if (regs.pmConfig) out.dffs = (*regs.pmConfig & kDffsEnable) != 0;
  return out;
}

// TM1 and then TM2 into the registers; on the Pentium M and C7 the two share the enable
// bit, so switching TM1 on after TM2 deselects TM2.
void EncodeMonitors(const Support& support, const ThermalSettings& values, uint64_t& misc,
                    uint64_t& therm2) {
  switch (support.group) {
    case Group::kPentiumM:
      if (support.tm1) {
        misc = Put(misc, kTm1Enable, values.tm1);
        if (values.tm1) therm2 &= ~kTm2Select;
      }
      if (support.tm2) {
        if (values.tm2) misc |= kTm1Enable;
        therm2 = Put(therm2, kTm2Select, values.tm2);
      }
      break;
    case Group::kCore2:
      // Switching off clears the monitor's own bit only: bit 17 serves both.
      if (support.tm1) misc = Put(misc, kTm1Enable, values.tm1);
      if (support.tm1 && values.tm1) misc |= kCore2MonitorEnable;
      if (support.tm2) misc = Put(misc, kTm2Enable, values.tm2);
      if (support.tm2 && values.tm2) misc |= kCore2MonitorEnable;
      break;
    default:
      if (support.tm1) misc = Put(misc, kTm1Enable, values.tm1);
      if (support.tm2) misc = Put(misc, kTm2Enable, values.tm2);
      break;
  }
}

bool WriteIfChanged(CPortexDriver& driver, uint32_t index, const std::optional<uint64_t>& before,
                    uint64_t after) {
  if (!before || *before == after) return false;
  return WriteMsr(driver, index, after);
}

// One processor, the thread pinned to it. True when anything was written.
bool WriteProcessor(CPortexDriver& driver, const CpuInfo& cpu, const WriteRequest& request) {
  const Support support = SupportOf(cpu);
  const Registers regs = ReadRegisters(driver, support);
  if (!regs.misc) return false;
  const ThermalSettings& values = request.values;
  uint64_t misc = *regs.misc;
  uint64_t therm2 = regs.therm2.value_or(0);
  EncodeMonitors(support, values, misc, therm2);
  if (support.tm2 && request.writeTarget && TargetInLists(cpu, values.target)) {
    therm2 = (therm2 & ~kTargetMask) | uint64_t{values.target.fid & 0xFF} << kTargetFidShift |
             (values.target.vid & 0xFF);
  }
  const uint32_t cStates = CStateMask(support);
  for (size_t n = 0; n < kCStateBits.size(); ++n) {
    if ((cStates & 1u << n) != 0) misc = Put(misc, kCStateBits[n], (values.cStates & 1u << n) != 0);
  }
  bool written = WriteIfChanged(driver, kMiscEnableMsr, regs.misc, misc);
  written |= WriteIfChanged(driver, kTherm2ControlMsr, regs.therm2, therm2);
  if (regs.miscPower) {
    uint64_t power = Put(*regs.miscPower, kSyncTm1, values.syncTm1);
    power = Put(power, kExtendedThrottling, values.extendedThrottling);
    written |= WriteIfChanged(driver, kMiscPowerManagementMsr, regs.miscPower, power);
  }
  if (regs.perf) {
    written |= WriteIfChanged(driver, kPerfControlMsr, regs.perf,
                              Put(*regs.perf, kIdaDisengage, !values.idaEngaged));
  }
  if (regs.pmConfig) {
    written |= WriteIfChanged(driver, kPmConfigMsr, regs.pmConfig,
                              Put(*regs.pmConfig, kDffsEnable, values.dffs));
  }
  return written;
}

}  // namespace

Group GroupOf(const CpuInfo& cpu) {
  if (cpu.isPentium4) return Group::kPentium4;
  if (cpu.isCore2) return Group::kCore2;
  if (cpu.isCoreDuo) return Group::kCoreDuo;
  if (cpu.isPentiumM || cpu.isViaC7) return Group::kPentiumM;
  return Group::kNone;
}

std::optional<ThermalSettings> ReadThermalSettings(CPortexDriver& driver,
                                                   platform::Processors& processors,
                                                   const CpuInfo& cpu) {
  const Support support = SupportOf(cpu);
  if (support.group == Group::kNone) return std::nullopt;
  PinToProcessor(processors, cpu.index);
  const Registers regs = ReadRegisters(driver, support);
  UnpinThread(processors);
  if (!regs.misc) return std::nullopt;
  return Decode(support, regs);
}

size_t WriteThermalSettings(CPortexDriver& driver, platform::Processors& processors,
                            std::span<const CpuInfo> cpus, const WriteRequest& request) {
  size_t written = 0;
  for (const CpuInfo& cpu : cpus) {
    if (GroupOf(cpu) == Group::kNone) continue;
    PinToProcessor(processors, cpu.index);
    if (WriteProcessor(driver, cpu, request)) ++written;
  }
  UnpinThread(processors);
  return written;
}

std::optional<bool> WriteSpeedStepEnable(CPortexDriver& driver, platform::Processors& processors,
                                         std::span<const CpuInfo> cpus, bool on) {
  for (const CpuInfo& cpu : cpus) {
    if (!SupportsSpeedStep(cpu)) continue;
    PinToProcessor(processors, cpu.index);
    const std::optional<uint64_t> misc = ReadMsr(driver, kMiscEnableMsr);
    // Locked, the enable bit is the firmware's until the next reset.
    if (misc && (*misc & kSpeedStepLock) == 0) {
      WriteIfChanged(driver, kMiscEnableMsr, misc, Put(*misc, kSpeedStepEnable, on));
    }
  }
  std::optional<bool> now;
  if (!cpus.empty() && SupportsSpeedStep(cpus.front())) {
    PinToProcessor(processors, cpus.front().index);
    if (const auto misc = ReadMsr(driver, kMiscEnableMsr)) now = (*misc & kSpeedStepEnable) != 0;
  }
  UnpinThread(processors);
  return now;
}

bool SpeedStepLocked(CPortexDriver& driver, platform::Processors& processors, const CpuInfo& cpu) {
  PinToProcessor(processors, cpu.index);
  const std::optional<uint64_t> misc = ReadMsr(driver, kMiscEnableMsr);
  UnpinThread(processors);
  return misc && (*misc & kSpeedStepLock) != 0;
}

}  // namespace pacetta::intel
