#include "tests/cpu_pstate/records.h"

#include <cstring>

#include "cpu/identify/family_flags.h"

namespace pacetta::testing {

CpuInfo Record(const std::string& vendor, uint32_t signature, RecordLeaves leaves) {
  CpuInfo info;
  uint32_t words[3] = {};
  std::memcpy(words, vendor.data(), std::min<size_t>(vendor.size(), sizeof words));
  info.standardLeaves[0] = {6, words[0], words[2], words[1]};
  info.standardLeaves[1] = {signature, 0, 0, leaves.leaf1Edx};
  info.standardLeaves[6] = {leaves.leaf6Eax, 0, 0, 0};
  info.extendedLeaves[0] = {0x80000008, 0, 0, 0};
  info.extendedLeaves[1] = {0, leaves.extendedBrandId, 0, 0};
  info.extendedLeaves[7] = {0, 0, 0, leaves.powerManagementEdx};
  ClassifyFamily(info);
  return info;
}

sim::MachineSpec Machine(std::map<uint32_t, uint64_t> registers, unsigned onProcessor,
                         unsigned count, bool system64) {
  sim::MachineSpec machine;
  machine.system64 = system64;
  machine.processors.resize(count);
  machine.processors[onProcessor].msrStart = std::move(registers);
  return machine;
}

}  // namespace pacetta::testing
