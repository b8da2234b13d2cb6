#include "cpu/pstate/vid_conversion.h"

#include "cpu/pstate/k7_encoding.h"

namespace pacetta {

namespace {

enum class VidOrder { kNone, kK7Mobile, kReversed5Bit, kReversed6Bit, kAscending };

VidOrder OrderOf(const CpuInfo& cpu) {
  if (cpu.isK8) return cpu.isK8Npt ? VidOrder::kReversed6Bit : VidOrder::kReversed5Bit;
  if (cpu.isK7) {
    return cpu.switches.amdK7DesktopVids != 0 ? VidOrder::kReversed5Bit : VidOrder::kK7Mobile;
  }
  if (cpu.isIntelPState || cpu.isViaC7 || cpu.isTransmeta) return VidOrder::kAscending;
  return VidOrder::kNone;
}

// Reversing a code range is its own inverse: index = top - code, code = top - index.
int32_t Reverse(int32_t value, int32_t top) {
  return value >= 0 && value <= top ? top - value : -1;
}

int32_t Convert(const CpuInfo& cpu, int32_t value, bool toIndex) {
  if (value < 0) return -1;
  switch (OrderOf(cpu)) {
    case VidOrder::kK7Mobile:
      return toIndex ? k7::MobileVidRank(value) : k7::MobileVidOfRank(value);
    case VidOrder::kReversed5Bit:
      return Reverse(value, 31);
    case VidOrder::kReversed6Bit:
      return Reverse(value, 63);
    case VidOrder::kAscending:
      return value;
    case VidOrder::kNone:
      break;
  }
  return -1;
}

// AMD K8 (BKDG for AMD Family 0Fh, VID code tables). Code 31 switches the core off on
// the 5-bit parts; the NPT parts continue in 12.5 mV steps from code 32.
double K8Voltage(const CpuInfo& cpu, int32_t vid) {
  if (cpu.isK8Npt) {
    if (vid <= 31) return 1.550 - 0.025 * vid;
    return 0.7625 - 0.0125 * (vid - 32);
  }
  if (vid >= 31) return 0.0;
  return (cpu.isMobileK8 ? 1.450 : 1.550) - 0.025 * vid;
}

double IntelVoltage(const CpuInfo& cpu, int32_t vid) {
  if (cpu.isPentiumM) return 0.700 + 0.016 * vid;
  if (cpu.isCoreDuo) return 0.7125 + 0.0125 * vid;
  // Core 2 type 1 (mobile) has the Core Duo table; anything else, including an
  // undetected type, has the desktop one.
  if (cpu.isCore2) return (cpu.switches.intelCore2CpuType == 1 ? 0.7125 : 0.825) + 0.0125 * vid;
  if (cpu.isPentium4Prescott) {
    if (vid == 0) return 0.8375;
    if (vid == 63) return 1.600;
    return vid <= 62 ? 0.825 + 0.0125 * vid : 0.0;
  }
  return 0.0;  // older Pentium 4 and other family 6 processors have no voltage control
}

}  // namespace

int32_t VidToIndex(const CpuInfo& cpu, int32_t vid) {
  return Convert(cpu, vid, true);
}

int32_t IndexToVid(const CpuInfo& cpu, int32_t index) {
  return Convert(cpu, index, false);
}

double VidIndexToVoltage(const CpuInfo& cpu, int32_t index) {
  const int32_t vid = IndexToVid(cpu, index);
  if (vid < 0) return 0.0;
  if (cpu.isK8) return K8Voltage(cpu, vid);
  if (cpu.isK7) {
    return cpu.switches.amdK7DesktopVids != 0 ? k7::DesktopVidVoltage(vid)
                                              : k7::MobileVidVoltage(vid);
  }
  if (cpu.isViaC7) return 0.700 + 0.016 * vid;
  if (cpu.isTransmeta) return vid * 0.001;  // the code is millivolts
  if (cpu.isIntelPState) return IntelVoltage(cpu, vid);
  return 0.0;
}

}  // namespace pacetta
