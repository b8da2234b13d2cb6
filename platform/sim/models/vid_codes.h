#pragma once
#include <cstdint>

// Voltage and multiplier codes of the modelled families, for writing power-on values as
// the datasheets state them (volts, multipliers) and for the voltage and frequency order
// rules that the parts enforce.
namespace pacetta::sim::codes {

constexpr uint32_t Round(double value) {
  return static_cast<uint32_t>(value + 0.5);
}

// AMD K8 before revision F: 1.550 V - 25 mV per code (code 31 switches the core off).
constexpr uint32_t K8Vid(double volts) {
  return Round((1.550 - volts) / 0.025);
}
// AMD K8 mobile parts before revision F, as the program decodes them: 1.450 V - 25 mV.
constexpr uint32_t K8MobileVid(double volts) {
  return Round((1.450 - volts) / 0.025);
}
constexpr double K8Volts(uint32_t vid) {
  return 1.550 - 0.025 * vid;
}
constexpr double K8MobileVolts(uint32_t vid) {
  return 1.450 - 0.025 * vid;
}
constexpr double K8NptVolts(uint32_t vid) {
  return vid < 32 ? 1.550 - 0.025 * vid : 0.7625 - 0.0125 * (vid - 32);
}
// AMD K8 revision F and later, 6-bit: codes 0..31 in 25 mV steps from 1.550 V, codes
// 32..63 in 12.5 mV steps from 0.7625 V.
constexpr uint32_t K8NptVid(double volts) {
  return volts > 0.7624 ? Round((1.550 - volts) / 0.025) : 32 + Round((0.7625 - volts) / 0.0125);
}

// AMD K7 mobile VID table: 2.000 V down in 50 mV steps for codes 0..14, 1.275 V down in
// 25 mV steps for codes 16..30; codes 15 and 31 switch the core off.
constexpr uint32_t K7MobileVid(double volts) {
  return volts > 1.2875 ? Round((2.000 - volts) / 0.050) : 16 + Round((1.275 - volts) / 0.025);
}
constexpr double K7MobileVolts(uint32_t vid) {
  if (vid == 15 || vid >= 31) return 0.0;
  return vid < 15 ? 2.000 - 0.050 * vid : 1.275 - 0.025 * (vid - 16);
}
// AMD K7 desktop VID table: 1.850 V - 25 mV per code, code 31 off.
constexpr uint32_t K7DesktopVid(double volts) {
  return Round((1.850 - volts) / 0.025);
}
constexpr double K7DesktopVolts(uint32_t vid) {
  return vid >= 31 ? 0.0 : 1.850 - 0.025 * vid;
}

// AMD K7 FID codes: the multiplier of each 5-bit code (Athlon and Duron datasheets'
// FID[4:0] tables).
inline constexpr double kK7Multipliers[32] = {
    11.0, 11.5, 12.0, 12.5, 5.0,  5.5,  6.0,  6.5,  7.0,  7.5,  8.0,  8.5,  9.0,  9.5,  10.0, 10.5,
    3.0,  19.0, 4.0,  20.0, 13.0, 13.5, 14.0, 21.0, 15.0, 22.0, 16.0, 16.5, 17.0, 18.0, 23.0, 24.0};
constexpr uint32_t K7Fid(double multiplier) {
  for (uint32_t fid = 0; fid < 32; ++fid)
    if (kK7Multipliers[fid] == multiplier) return fid;
  return 0;
}

// Intel Pentium M and VIA C7: 0.700 V + 16 mV per code.
constexpr uint32_t PentiumMVid(double volts) {
  return Round((volts - 0.700) / 0.016);
}
constexpr double PentiumMVolts(uint32_t vid) {
  return 0.700 + 0.016 * vid;
}
// Intel Core Duo and mobile Core 2 (IMVP-6): 0.7125 V + 12.5 mV per code.
constexpr uint32_t MobileCoreVid(double volts) {
  return Round((volts - 0.7125) / 0.0125);
}
constexpr double MobileCoreVolts(uint32_t vid) {
  return 0.7125 + 0.0125 * vid;
}
// Intel desktop Core 2 and Pentium 4 from model 3: 0.825 V + 12.5 mV per code.
constexpr uint32_t DesktopCoreVid(double volts) {
  return Round((volts - 0.825) / 0.0125);
}
constexpr double DesktopCoreVolts(uint32_t vid) {
  return 0.825 + 0.0125 * vid;
}

}  // namespace pacetta::sim::codes
