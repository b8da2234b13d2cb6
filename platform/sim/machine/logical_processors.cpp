#include "platform/sim/machine/logical_processors.h"

#include <algorithm>
#include <map>

#include "platform/sim/machine/cpuid_fields.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kTopologyLeaf = 0xB;
constexpr uint32_t kTopologyLeafV2 = 0x1F;
constexpr uint32_t kAmdExtendedApicLeaf = 0x8000001E;
constexpr uint32_t kLevelTypeCore = 2;

struct PackageLayout {
  unsigned logicalCount = 1;
  unsigned threadsPerCore = 1;
  unsigned smtBits = 0;  // APIC id bits below the core number
};

unsigned CeilLog2(unsigned value) {
  unsigned bits = 0;
  while ((1u << bits) < value) ++bits;
  return bits;
}

// Intel SDM vol. 2A, CPUID leaf 0Bh: sub-leaf 0 is the thread level (EAX[4:0] = bits of
// the x2APIC id below the core number, EBX[15:0] = threads per core); the sub-leaf whose
// ECX[15:8] names the core level gives the logical processors of the package in EBX[15:0].
bool HasTopologyLeaf(const CpuidLeaves& leaves) {
  return MaxStandardLeaf(leaves) >= kTopologyLeaf &&
         (LeafOf(leaves, kTopologyLeaf, 0).ebx & 0xFFFF) != 0;
}

PackageLayout LayoutFromTopologyLeaf(const CpuidLeaves& leaves) {
  const auto threadLevel = LeafOf(leaves, kTopologyLeaf, 0);
  PackageLayout layout;
  layout.threadsPerCore = threadLevel.ebx & 0xFFFF;
  layout.smtBits = threadLevel.eax & 0x1F;
  layout.logicalCount = layout.threadsPerCore;
  for (uint32_t sub = 1; HasLeaf(leaves, kTopologyLeaf, sub) && sub < 8; ++sub) {
    const auto level = LeafOf(leaves, kTopologyLeaf, sub);
    if ((level.ecx >> 8 & 0xFF) == kLevelTypeCore) {
      layout.logicalCount = std::max(1u, level.ebx & 0xFFFF);
      break;
    }
  }
  return layout;
}

// Before leaf 0Bh: leaf 1 EBX[23:16] counts the package's logical processors when EDX
// bit 28 is set; Intel gives cores per package in leaf 4 EAX[31:26] + 1, AMD in leaf
// 80000008h ECX[7:0] + 1. What is left over per core are Hyper-Threading siblings.
PackageLayout LegacyLayout(const CpuidLeaves& leaves) {
  PackageLayout layout;
  const auto leaf1 = LeafOf(leaves, 1);
  if (MaxStandardLeaf(leaves) < 1 || (leaf1.edx >> 28 & 1) == 0) return layout;
  layout.logicalCount = std::max(1u, leaf1.ebx >> 16 & 0xFF);

  unsigned cores = layout.logicalCount;
  const auto vendor = VendorOf(leaves);
  if (vendor == kVendorIntel) {
    cores = MaxStandardLeaf(leaves) >= 4 ? (LeafOf(leaves, 4, 0).eax >> 26) + 1 : 1;
  } else if (vendor == kVendorAmd) {
    cores = MaxExtendedLeaf(leaves) >= kExtendedLeafBase + 8
                ? (LeafOf(leaves, kExtendedLeafBase + 8).ecx & 0xFF) + 1
                : 1;
  }
  cores = std::clamp(cores, 1u, layout.logicalCount);
  layout.threadsPerCore = (layout.logicalCount + cores - 1) / cores;
  layout.smtBits = CeilLog2(layout.threadsPerCore);
  return layout;
}

PackageLayout LayoutOf(const CpuidLeaves& leaves) {
  return HasTopologyLeaf(leaves) ? LayoutFromTopologyLeaf(leaves) : LegacyLayout(leaves);
}

void SetApicId(CpuidLeaves& leaves, uint32_t apicId) {
  if (auto it = leaves.find({1, 0}); it != leaves.end())
    it->second.ebx = (it->second.ebx & 0x00FFFFFF) | (apicId & 0xFF) << 24;
  // Every sub-leaf of the topology leaves reports the x2APIC id in EDX.
  const bool topology = HasTopologyLeaf(leaves);
  const bool topologyV2 = MaxStandardLeaf(leaves) >= kTopologyLeafV2;
  for (auto& [key, value] : leaves) {
    if ((key.first == kTopologyLeaf && topology) || (key.first == kTopologyLeafV2 && topologyV2))
      value.edx = apicId;
  }
  if (VendorOf(leaves) == kVendorAmd && MaxExtendedLeaf(leaves) >= kAmdExtendedApicLeaf) {
    if (auto it = leaves.find({kAmdExtendedApicLeaf, 0}); it != leaves.end())
      it->second.eax = apicId;
  }
}

}  // namespace

uint32_t ApicIdOf(const CpuidLeaves& leaves) {
  if (HasTopologyLeaf(leaves)) return LeafOf(leaves, kTopologyLeaf, 0).edx;
  return LeafOf(leaves, 1).ebx >> 24;
}

bool CarriesApicId(const CpuidLeaves& leaves) {
  return HasTopologyLeaf(leaves) || (LeafOf(leaves, 1).ebx >> 8) != 0;
}

unsigned ReportedLogicalCount(const CpuidLeaves& leaves) {
  return LayoutOf(leaves).logicalCount;
}

std::vector<ProcessorSpec> BuildLogicalProcessors(const CpuidLeaves& leaves) {
  const auto layout = LayoutOf(leaves);
  std::vector<ProcessorSpec> processors;
  processors.reserve(layout.logicalCount);
  for (unsigned k = 0; k < layout.logicalCount; ++k) {
    const unsigned core = k / layout.threadsPerCore;
    const unsigned thread = k % layout.threadsPerCore;
    ProcessorSpec processor;
    processor.apicId = core << layout.smtBits | thread;
    processor.leaves = leaves;
    SetApicId(processor.leaves, processor.apicId);
    processors.push_back(std::move(processor));
  }
  return processors;
}

std::optional<ApicIdClash> RepeatedApicId(const std::vector<ProcessorSpec>& processors) {
  std::map<uint32_t, size_t> seen;
  for (size_t k = 0; k < processors.size(); ++k) {
    const auto [it, inserted] = seen.emplace(processors[k].apicId, k);
    if (!inserted)
      return ApicIdClash{k, "processors " + std::to_string(it->second) + " and " +
                                std::to_string(k) + " report the same APIC id " +
                                std::to_string(it->first)};
  }
  return std::nullopt;
}

}  // namespace pacetta::sim
