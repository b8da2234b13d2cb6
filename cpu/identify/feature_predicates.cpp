#include "cpu/identify/feature_predicates.h"

#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bit;
using identify::Bits;

namespace {

inline constexpr uint32_t kTransmetaFeatureLeaf = 0x80860001u;

// The Intel thermal and SpeedStep bits mean the same on VIA's C7.
bool HasIntelStylePowerBits(const CpuInfo& info) {
  return info.isIntelPState || info.isViaC7;
}

}  // namespace

bool SupportsFidVidControl(const CpuInfo& info) {
  const uint32_t powerManagement = ExtendedLeaf(info, 0x80000007u).edx;
  // Today's processors: through the kernel's frequency policy.
  if (info.kernelPolicy >= 0) return true;
  return info.isAmdPowerNow && Bit(powerManagement, 1) && Bit(powerManagement, 2);
}

bool SupportsSpeedStep(const CpuInfo& info) {
  return HasIntelStylePowerBits(info) && Bit(StandardLeaf(info, 1).ecx, 7);
}

bool SupportsTm1(const CpuInfo& info) {
  return HasIntelStylePowerBits(info) && Bit(StandardLeaf(info, 1).edx, 29);
}

bool SupportsTm2(const CpuInfo& info) {
  return HasIntelStylePowerBits(info) && Bit(StandardLeaf(info, 1).ecx, 8);
}

bool SupportsOdcm(const CpuInfo& info) {
  return info.isIntelSupported && Bit(StandardLeaf(info, 1).edx, 22);
}

bool SupportsEnhancedHalt(const CpuInfo& info) {
  return (info.isPentium4 && (GetSignature(info).raw & 0xFFF) >= 0xF40) || info.isIntelCore;
}

bool HasDts(const CpuInfo& info) {
  return info.isIntelCore && info.hasDigitalThermalSensor;
}

bool HasIdaFeature(const CpuInfo& info) {
  return info.isCore2 && info.hasIda;
}

bool HasDffsFeature(const CpuInfo& info) {
  return info.isCore2 && info.hasDffs;
}

bool SupportsLongRun(const CpuInfo& info, platform::CpuInstructions& cpu) {
  if (!info.isTransmeta) return false;
  const uint32_t features = cpu.Cpuid(kTransmetaFeatureLeaf, 0).edx;
  // Bit 1: LongRun; bit 3: LongRun table interface.
  return Bit(features, 1) && Bit(features, 3);
}

bool GetLogicalCount(const CpuInfo& info, uint32_t* count) {
  const platform::CpuidResult leaf1 = StandardLeaf(info, 1);
  const uint32_t logical = Bits(leaf1.ebx, 23, 16);
  if (count != nullptr) *count = logical;
  return Bit(leaf1.edx, 28) && logical > 1;
}

}  // namespace pacetta
