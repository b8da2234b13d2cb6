#include "platform/sim/catalogue/leaf_edits.h"

#include <string>

#include "platform/sim/machine/cpuid_fields.h"

namespace pacetta::sim {

void EditLeaf(MachineSpec& machine, uint32_t leaf,
              const std::function<void(platform::CpuidResult&)>& edit) {
  for (auto& processor : machine.processors) edit(processor.leaves[{leaf, 0}]);
}

void SetLeaf(MachineSpec& machine, uint32_t leaf, platform::CpuidResult value) {
  EditLeaf(machine, leaf, [&](platform::CpuidResult& r) { r = value; });
}

void SetBrandString(MachineSpec& machine, std::string_view brand) {
  for (auto& processor : machine.processors)
    SetLeafText(processor.leaves, kExtendedLeafBase + 2, 3, brand);
}

void SetVendorText(MachineSpec& machine, uint32_t leaf, std::string_view vendor) {
  // The vendor text runs through EBX, EDX, ECX: pack it as if those were EAX, EBX, ECX.
  CpuidLeaves scratch;
  SetLeafText(scratch, 0, 1, vendor);
  const auto packed = scratch[{0, 0}];
  EditLeaf(machine, leaf, [&](platform::CpuidResult& r) {
    r.ebx = packed.eax;
    r.edx = packed.ebx;
    r.ecx = packed.ecx;
  });
}

}  // namespace pacetta::sim
