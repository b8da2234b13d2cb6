#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// Changes of a composed machine, applied alike to every logical processor (the leaves of
// one processor type are the same on all of them, apart from the APIC ids).
void EditLeaf(MachineSpec& machine, uint32_t leaf,
              const std::function<void(platform::CpuidResult&)>& edit);
void SetLeaf(MachineSpec& machine, uint32_t leaf, platform::CpuidResult value);
void SetBrandString(MachineSpec& machine, std::string_view brand);
// The 12-character vendor text in EBX, EDX, ECX of `leaf`, keeping its EAX.
void SetVendorText(MachineSpec& machine, uint32_t leaf, std::string_view vendor);

}  // namespace pacetta::sim
