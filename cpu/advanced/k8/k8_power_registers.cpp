#include "cpu/advanced/k8/k8_power_registers.h"

#include <cmath>

namespace pacetta::k8 {

uint32_t ModeByteBits(const PowerMode& mode, bool altVidProcessor) {
  uint32_t bits = (mode.cpuLowPower ? kModeCpuLowPower : 0) |
                  (mode.northbridgeLowPower ? kModeNorthbridgeLowPower : 0) |
                  (mode.fidVidChange ? kModeFidVidChange : 0) |
                  (altVidProcessor && mode.altVidChange ? kModeAltVidChange : 0);
  if (mode.divisor <= 7) bits |= mode.divisor << kModeDivisorShift;
  return bits;
}

uint32_t ModeByteMask(const PowerMode& mode, bool altVidProcessor) {
  uint32_t mask = kModeCpuLowPower | kModeNorthbridgeLowPower | kModeFidVidChange;
  if (altVidProcessor) mask |= kModeAltVidChange;
  // A divisor that does not fit the field leaves the hardware's as it is.
  if (mode.divisor <= 7) mask |= kModeDivisorMask;
  return mask;
}

PowerMode DecodeModeByte(uint32_t byte, bool altVidProcessor) {
  PowerMode mode;
  mode.divisor = (byte & kModeDivisorMask) >> kModeDivisorShift;
  mode.cpuLowPower = (byte & kModeCpuLowPower) != 0;
  mode.northbridgeLowPower = (byte & kModeNorthbridgeLowPower) != 0;
  mode.fidVidChange = (byte & kModeFidVidChange) != 0;
  mode.altVidChange = altVidProcessor && (byte & kModeAltVidChange) != 0;
  return mode;
}

uint32_t ModeImage(const CpuSetup& setup, unsigned firstState, bool altVidProcessor) {
  uint32_t image = 0;
  for (unsigned n = 0; n < 4; ++n)
    image |= ModeByteBits(setup.modes[firstState + n], altVidProcessor) << (8 * n);
  return image;
}

void DecodeModeImage(uint32_t image, unsigned firstState, bool altVidProcessor, CpuSetup& setup) {
  for (unsigned n = 0; n < 4; ++n)
    setup.modes[firstState + n] = DecodeModeByte(image >> (8 * n) & 0xFF, altVidProcessor);
}

uint64_t PllLockCount(uint32_t us) {
  return static_cast<uint64_t>(std::llround(us * 12.5));
}

uint32_t PllLockUs(uint32_t count) {
  return static_cast<uint32_t>(std::lround(count * 0.08));
}

uint64_t VsTimeCount(uint32_t us) {
  return uint64_t{us} * 200u;
}

uint32_t VsTimeUs(uint32_t count) {
  return static_cast<uint32_t>(std::lround(count * 0.005));
}

}  // namespace pacetta::k8
