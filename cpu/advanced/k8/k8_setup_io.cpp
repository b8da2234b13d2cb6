#include "cpu/advanced/k8/k8_setup_io.h"

#include <optional>

#include "cpu/advanced/k8/k8_alt_vid.h"
#include "cpu/advanced/k8/k8_power_registers.h"

namespace pacetta::k8 {
namespace {

void Put(uint32_t& image, uint32_t mask, uint32_t bits) {
  image = (image & ~mask) | (bits & mask);
}

void ModifyDword(CK8Northbridge::Session& session, uint32_t reg, uint32_t mask, uint32_t bits) {
  uint32_t image = session.ReadDword(reg);
  Put(image, mask, bits);
  session.WriteDword(reg, image);
}

void WriteModes(CK8Northbridge::Session& session, uint32_t reg, unsigned firstState,
                const CpuSetup& setup, bool altVid) {
  uint32_t mask = 0;
  for (unsigned n = 0; n < 4; ++n)
    mask |= ModeByteMask(setup.modes[firstState + n], altVid) << (8 * n);
  ModifyDword(session, reg, mask, ModeImage(setup, firstState, altVid));
}

// The fields one write changes: a value wider than its field is skipped.
struct FieldWrites {
  uint32_t mask = 0;
  uint32_t bits = 0;

  void Put(int64_t value, unsigned shift, unsigned width) {
    if (value < 0 || value >= (int64_t{1} << width)) return;
    mask |= FieldMask(shift, width);
    bits |= static_cast<uint32_t>(value) << shift;
  }
};

void WriteTimingLow(CK8Northbridge::Session& session, const CpuSetup& setup, bool altVid) {
  FieldWrites writes;
  writes.Put(setup.goodPhaseError, kPhaseErrorShift, kPhaseErrorWidth);
  writes.Put(setup.rampHysteresis, kHysteresisShift, HysteresisWidth(altVid));
  writes.Put(static_cast<int64_t>(PllLockCount(setup.pllLockUs)), kPllLockShift, kPllLockWidth);
  if (writes.mask != 0) ModifyDword(session, kClockTimingLow, writes.mask, writes.bits);
}

void WriteTimingHigh(CK8Northbridge::Session& session, const CpuInfo& cpu, const CpuSetup& setup,
                     bool altVid) {
  FieldWrites writes{kClearedOnApply, 0};
  if (altVid) {
    writes.Put(setup.altVidIndex ? AltVidCode(cpu, *setup.altVidIndex) : -1, kAltVidShift,
               kAltVidWidth);
    writes.Put(static_cast<int64_t>(VsTimeCount(setup.vsTimeUs)), kVsTimeShift, kVsTimeWidth);
  }
  ModifyDword(session, kClockTimingHigh, writes.mask, writes.bits);
}

}  // namespace

CpuSetup ReadSetup(CK8Northbridge& northbridge, const CpuInfo& cpu0) {
  const bool altVid = IsAltVidProcessor(cpu0);
  CpuSetup setup;
  auto session = northbridge.Select(0);
  DecodeModeImage(session.ReadDword(kPowerMode0), 0, altVid, setup);
  DecodeModeImage(session.ReadDword(kPowerMode1), 4, altVid, setup);
  const uint32_t low = session.ReadDword(kClockTimingLow);
  setup.goodPhaseError = FieldOf(low, kPhaseErrorShift, kPhaseErrorWidth);
  setup.rampHysteresis = FieldOf(low, kHysteresisShift, HysteresisWidth(altVid));
  setup.pllLockUs = PllLockUs(FieldOf(low, kPllLockShift, kPllLockWidth));
  if (altVid) {
    const uint32_t high = session.ReadDword(kClockTimingHigh);
    setup.altVidIndex =
        AltVidListIndex(cpu0, static_cast<int32_t>(FieldOf(high, kAltVidShift, kAltVidWidth)));
    setup.vsTimeUs = VsTimeUs(FieldOf(high, kVsTimeShift, kVsTimeWidth));
  }
  return setup;
}

void WriteSetup(CK8Northbridge& northbridge, std::span<const CpuInfo> cpus, const CpuSetup& setup) {
  std::optional<uint32_t> previousNode;
  for (const CpuInfo& cpu : cpus) {
    if (previousNode == cpu.packageId) continue;
    previousNode = cpu.packageId;
    const bool altVid = IsAltVidProcessor(cpu);
    auto session = northbridge.Select(cpu.packageId);
    if (!session.HasDevice()) continue;
    WriteModes(session, kPowerMode0, 0, setup, altVid);
    WriteModes(session, kPowerMode1, 4, setup, altVid);
    WriteTimingLow(session, setup, altVid);
    WriteTimingHigh(session, cpu, setup, altVid);
  }
  // Other users of the accessor expect node 0 selected, as after its construction.
  northbridge.Select(0);
}

}  // namespace pacetta::k8
