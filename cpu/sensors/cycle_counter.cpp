#include "cpu/sensors/cycle_counter.h"

#include "cpu/identify/bits.h"
#include "cpu/sensors/sensor_registers.h"

namespace pacetta {
namespace {

bool Write(SensorHardware& hardware, uint32_t index, uint32_t low) {
  MsrRequest request;
  return hardware.driver.WriteMsrValue(request, index, low, 0);
}

// Performance monitoring must be reported available (IA32_MISC_ENABLE bit 7) before the
// counters count. A failed read leaves the register alone: writing back all ones would
// switch on every feature the register controls.
void EnsurePerfMonitoring(SensorHardware& hardware) {
  MsrRequest request;
  if (!hardware.driver.ReadMsrValue(request, msr::kMiscEnable)) return;
  if (identify::Bit(request.low, msr::kPerfMonitoringAvailableBit)) return;
  request.low |= 1u << msr::kPerfMonitoringAvailableBit;
  hardware.driver.WriteMsr(request);
}

bool ProgramCounter(const CpuInfo& cpu, SensorHardware& hardware) {
  const bool discard = cpu.switches.discardKernelCpuUsage != 0;
  if (cpu.isAmdPowerNow) {
    Write(hardware, msr::kAmdEventSelect0, discard ? sensors::kAmdBusyUser : sensors::kAmdBusyAll);
    return true;
  }
  if (cpu.isIntelP6 || cpu.isIntelCore) {
    EnsurePerfMonitoring(hardware);
    Write(hardware, msr::kIntelEventSelect1, 0);
    uint32_t select = discard ? sensors::kP6BusyUser : sensors::kP6BusyAll;
    if (cpu.isIntelCore) select = discard ? sensors::kCoreBusyUser : sensors::kCoreBusyAll;
    Write(hardware, msr::kIntelEventSelect0, select);
    return true;
  }
  if (cpu.isPentium4) {
    EnsurePerfMonitoring(hardware);
    Write(hardware, msr::kNetBurstEscr,
          discard ? sensors::kNetBurstEscrUser : sensors::kNetBurstEscrAll);
    Write(hardware, msr::kNetBurstCccr0, sensors::kNetBurstCccrEnable);
    return true;
  }
  return false;
}

bool RunCounterRoutine(SensorHardware& hardware, driver::KernelRoutine routine) {
  if (hardware.driver.Is64BitSystem()) return false;
  driver::KernelCallBlock block;
  block.routine = static_cast<uint32_t>(routine);
  return hardware.driver.RunKernelRoutine(block);
}

}  // namespace

bool EnableUserCounterReads(SensorHardware& hardware) {
  return RunCounterRoutine(hardware, driver::KernelRoutine::kEnableUserCounters);
}

bool DisableUserCounterReads(SensorHardware& hardware) {
  return RunCounterRoutine(hardware, driver::KernelRoutine::kDisableUserCounters);
}

bool SetupCycleCounter(CpuInfo& cpu, SensorHardware& hardware) {
  const bool programmed = ProgramCounter(cpu, hardware);
  CounterSnapshot snapshot;
  ReadCounters(cpu, hardware, snapshot);
  for (BusyHistory& history : cpu.busyHistories) {
    history.entries.fill(snapshot);
    history.index = 0;
  }
  return programmed;
}

std::optional<uint32_t> CounterRegisterOf(const CpuInfo& cpu) {
  // Every family that programs counter 0 has it at the family's first counter register;
  // the 32-bit-only parts (K7, P6, Core Duo) only meet this path on a simulated machine.
  if (cpu.isAmdPowerNow) return msr::kAmdCounter0;
  if (cpu.isPentium4) return msr::kNetBurstCounter0;
  if (cpu.isIntelP6 || cpu.isIntelCore) return msr::kIntelCounter0;
  return std::nullopt;
}

bool ReadCounters(const CpuInfo& cpu, SensorHardware& hardware, CounterSnapshot& snapshot) {
  bool valid = false;
  if (!hardware.driver.Is64BitSystem()) {
    if (CounterRegisterOf(cpu)) {
      const std::optional<uint64_t> counter = hardware.cpu.ReadPerformanceCounter(0);
      valid = counter.has_value();
      snapshot.busy = counter.value_or(0);
    }
  } else if (const auto index = CounterRegisterOf(cpu)) {
    MsrRequest request;
    valid = hardware.driver.ReadMsrValue(request, *index);
    snapshot.busy = valid ? request.Value() : 0;
  }
  snapshot.tsc = hardware.cpu.ReadTimeStampCounter();
  return valid;
}

uint64_t BusyCyclesBetween(const CpuInfo& cpu, uint64_t earlier, uint64_t later) {
  const uint64_t mask = cpu.isAmdPowerNow ? sensors::kAmdCounterMask : sensors::kIntelCounterMask;
  return (later - earlier) & mask;
}

}  // namespace pacetta
