#pragma once
// CPUID of one processor of each family the readings distinguish.
#include "tests/cpu_sensors/sensor_rig.h"

namespace pacetta::testing {

inline constexpr uint32_t kAmdFidVidControl = 0x6;  // 0x80000007 EDX bits 1 and 2
inline constexpr uint32_t kAmdThermalSensor = 0x1;  // 0x80000007 EDX bit 0
inline constexpr uint32_t kEist = 1u << 7;          // leaf 1 ECX
inline constexpr uint32_t kTm2 = 1u << 8;           // leaf 1 ECX
inline constexpr uint32_t kTm1 = 1u << 29;          // leaf 1 EDX
inline constexpr uint32_t kDts = 1u;                // leaf 6 EAX

inline ProcessorLeaves Amd(uint32_t signature, uint32_t powerManagement = kAmdFidVidControl) {
  return {"AuthenticAMD", signature, 0, 0, 0, powerManagement};
}
inline ProcessorLeaves K8RevF(uint32_t extra = 0) {
  return Amd(0x40F33, kAmdFidVidControl | extra);
}
inline ProcessorLeaves K8RevE(uint32_t extra = 0) {
  return Amd(0x20FB1, kAmdFidVidControl | extra);
}
inline ProcessorLeaves K7() {
  return Amd(0x6A0);
}
inline ProcessorLeaves Intel(uint32_t signature, uint32_t leaf1Ecx = 0, uint32_t leaf1Edx = 0,
                             uint32_t leaf6Eax = 0) {
  return {"GenuineIntel", signature, leaf1Ecx, leaf1Edx, leaf6Eax, 0};
}
inline ProcessorLeaves PentiumM() {
  return Intel(0x6D8, kEist);
}
inline ProcessorLeaves CoreDuo(uint32_t leaf6Eax = kDts) {
  return Intel(0x6E8, kEist | kTm2, kTm1, leaf6Eax);
}
// A Santa Rosa Core 2 (signature 0x6FA): it has DFFS and Super LFM.
inline ProcessorLeaves Core2(uint32_t leaf6Eax = kDts) {
  return Intel(0x6FA, kEist | kTm2, kTm1, leaf6Eax);
}
inline ProcessorLeaves Pentium4Model2() {
  return Intel(0xF27, 0, kTm1);
}
inline ProcessorLeaves Prescott() {
  return Intel(0xF34, kEist, kTm1);
}
inline ProcessorLeaves ViaC7() {
  return {"CentaurHauls", 0x6A9, 0, 0, 0, 0};
}
inline ProcessorLeaves Transmeta() {
  return {"GenuineTMx86", 0x543, 0, 0, 0, 0};
}

}  // namespace pacetta::testing
