#pragma once
// Processor records of each family, classified as identification would classify them,
// and the simulated machine and driver the performance-state code talks to.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "tests/hw_pci/sim_rig.h"

namespace pacetta::testing {

struct RecordLeaves {
  uint32_t powerManagementEdx = 0;  // leaf 0x80000007 EDX
  uint32_t leaf1Edx = 0;
  uint32_t leaf6Eax = 0;
  uint32_t extendedBrandId = 0;  // leaf 0x80000001 EBX
};

CpuInfo Record(const std::string& vendor, uint32_t signature, RecordLeaves leaves = {});

// AMD parts with FID and VID control (0x80000007 EDX bits 1 and 2).
inline constexpr uint32_t kFidVidControl = 0x6;
inline CpuInfo K8(uint32_t signature = 0xF4A, uint32_t extra = 0) {
  return Record("AuthenticAMD", signature, {kFidVidControl | extra});
}
inline CpuInfo K7() {
  return Record("AuthenticAMD", 0x6A0, {kFidVidControl});
}

// A machine of `count` processors; `registers` are processor `onProcessor`'s start values.
sim::MachineSpec Machine(std::map<uint32_t, uint64_t> registers, unsigned onProcessor = 0,
                         unsigned count = 2, bool system64 = true);

inline uint64_t Halves(uint32_t high, uint32_t low) {
  return uint64_t{high} << 32 | low;
}

}  // namespace pacetta::testing
