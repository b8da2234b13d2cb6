#include "cpu/sensors/current_state.h"

#include <optional>

#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/pstate_registers.h"
#include "cpu/pstate/vid_conversion.h"
#include "cpu/sensors/reading_fields.h"

namespace pacetta {
namespace {

using identify::Bits;
using sensors::StoreReading;

// Transmeta reports its current operating point through CPUID: EAX = MHz, EBX = mV.
constexpr uint32_t kLongRunCurrentLeaf = 0x80860007;

MsrRequest Read(SensorHardware& hardware, uint32_t index) {
  MsrRequest request;
  hardware.driver.ReadMsrValue(request, index);
  return request;
}

struct State {
  uint32_t fid = 0;
  std::optional<uint32_t> vid;  // unchanged when the register has none
};

std::optional<State> ReadFamilyState(CpuInfo& cpu, SensorHardware& hardware) {
  // The kernel's policy runs the processor at most at the clock the program last asked.
  if (cpu.kernelPolicy >= 0) return State{cpu.policyMaxKhz / 1000, 0u};
  const bool fidVidControl = SupportsFidVidControl(cpu);
  if (cpu.isK8 || cpu.isK7) {
    if (fidVidControl) {
      // FIDVID_STATUS: CurrFID in EAX, CurrVID in EDX (5 bits on K7, 6 on K8).
      const MsrRequest r = Read(hardware, msr::kFidVidStatus);
      const unsigned high = cpu.isK8 ? 5 : 4;
      return State{Bits(r.low, high, 0), Bits(r.high, high, 0)};
    }
    // Without FID control only the start FID of the hardware configuration is known; the
    // K7 keeps FID bit 4 apart in EAX bit 19.
    const MsrRequest r = Read(hardware, msr::kHardwareConfig);
    if (cpu.isK8) return State{Bits(r.low, 29, 24), std::nullopt};
    return State{Bits(r.low, 27, 24) | Bits(r.low, 19, 19) << 4, std::nullopt};
  }
  if (cpu.isPentium4 && !cpu.isPentium4Prescott) {
    return State{Bits(Read(hardware, msr::kEbcFrequencyId).low, 31, 24), std::nullopt};
  }
  if (cpu.isPentium4Prescott || cpu.isViaC7) {
    const MsrRequest r = Read(hardware, msr::kPerfStatus);
    return State{Bits(r.low, 15, 8), Bits(r.low, 7, 0)};
  }
  if (cpu.isIntelSpeedStep) {
    const MsrRequest r = Read(hardware, msr::kPerfStatus);
    // Bit 15 marks the Core 2's Super LFM, where the core runs on half the bus clock.
    if (cpu.hasDffs) StoreReading(cpu.superLfmActive, Bits(r.low, 15, 15));
    return State{Bits(r.low, 12, 8), Bits(r.low, 5, 0)};
  }
  if (cpu.isTransmeta) {
    const platform::CpuidResult leaf = hardware.cpu.Cpuid(kLongRunCurrentLeaf, 0);
    return State{leaf.eax, leaf.ebx};
  }
  return std::nullopt;
}

}  // namespace

void ReadCurrentState(CpuInfo& cpu, SensorHardware& hardware) {
  const std::optional<State> state = ReadFamilyState(cpu, hardware);
  if (!state) return;
  StoreReading(cpu.currentFid, state->fid);
  if (state->vid) StoreReading(cpu.currentVid, *state->vid);
}

void ReadRequestedState(CpuInfo& cpu, SensorHardware& hardware) {
  uint32_t fid = 0, vid = 0;
  if (SupportsFidVidControl(cpu)) {
    // FIDVID_CTL: NewFID in bits 7..0, NewVID in bits 15..8.
    const MsrRequest r = Read(hardware, msr::kFidVidControl);
    fid = Bits(r.low, 7, 0);
    vid = Bits(r.low, 15, 8);
  } else if (SupportsSpeedStep(cpu)) {
    const MsrRequest r = Read(hardware, msr::kPerfControl);
    fid = Bits(r.low, 15, 8);
    vid = Bits(r.low, 7, 0);
  }
  // Nothing requested yet (or nothing to read): the processor runs where it started.
  if (fid == 0 && vid == 0) {
    fid = sensors::LoadReading(cpu.currentFid);
    vid = sensors::LoadReading(cpu.currentVid);
  }
  StoreReading(cpu.requestedFid, fid);
  StoreReading(cpu.requestedVid, vid);
}

double MultiplierOf(const CpuInfo& cpu, int32_t fid) {
  return FidIndexToMultiplier(cpu, FidToIndex(cpu, fid));
}

double VoltageOf(const CpuInfo& cpu, int32_t vid) {
  return VidIndexToVoltage(cpu, VidToIndex(cpu, vid));
}

}  // namespace pacetta
