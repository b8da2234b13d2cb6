#include "hw/topology.h"

#include <algorithm>

#include "hw/pinning.h"

namespace pacetta {

namespace {

enum class Vendor { kIntel, kAmd, kOther };

Vendor VendorOf(const platform::CpuidResult& leaf0) {
  // Leaf 0 spells the vendor in EBX, EDX, ECX.
  if (leaf0.ebx == 0x756E6547u && leaf0.edx == 0x49656E69u && leaf0.ecx == 0x6C65746Eu)
    return Vendor::kIntel;  // "GenuineIntel"
  if (leaf0.ebx == 0x68747541u && leaf0.edx == 0x69746E65u && leaf0.ecx == 0x444D4163u)
    return Vendor::kAmd;  // "AuthenticAMD"
  return Vendor::kOther;
}

uint32_t Bits(uint32_t value, unsigned high, unsigned low) {
  return (value >> low) & ((uint64_t{1} << (high - low + 1)) - 1);
}

uint32_t CoresPerPackage(platform::CpuInstructions& cpu, Vendor vendor, uint32_t maxLeaf) {
  // Intel: leaf 4 sub-leaf 0, EAX bits 31..26 = cores - 1.
  if (vendor == Vendor::kIntel && maxLeaf >= 4) return Bits(cpu.Cpuid(4, 0).eax, 31, 26) + 1;
  // AMD: leaf 0x80000008, ECX bits 7..0 = cores - 1.
  if (vendor == Vendor::kAmd && cpu.Cpuid(0x80000000u).eax >= 0x80000008u)
    return Bits(cpu.Cpuid(0x80000008u).ecx, 7, 0) + 1;
  return 1;
}

// Whether the logical processors of one package pair up on a shared clock and voltage
// control, by vendor, core count and family.
bool IsPaired(Vendor vendor, uint32_t cores, uint32_t logical, uint32_t family) {
  switch (vendor) {
    case Vendor::kIntel:
      if (cores <= 1) return logical > 1;    // Hyper-Threading on one core
      if (family == 15) return logical > 2;  // two threads of one NetBurst core
      return family == 6;                    // the cores share the package's control
    case Vendor::kAmd:
      return cores > 1;
    case Vendor::kOther:
      break;
  }
  return false;
}

}  // namespace

bool AllProcessorsAvailable(platform::Processors& processors) {
  return processors.ProcessAffinityMask() == processors.SystemAffinityMask();
}

unsigned UsableProcessorCount(platform::Processors& processors) {
  return std::min(processors.SystemCount(), kMaxProcessors);
}

ProcessorTopology TopologyFromCpuid(platform::CpuInstructions& cpu, uint32_t k) {
  const ProcessorTopology alone{k, 0};
  const platform::CpuidResult leaf0 = cpu.Cpuid(0);
  if (leaf0.eax < 1) return alone;

  const Vendor vendor = VendorOf(leaf0);
  const uint32_t cores = CoresPerPackage(cpu, vendor, leaf0.eax);
  const platform::CpuidResult leaf1 = cpu.Cpuid(1);
  const uint32_t logical = Bits(leaf1.ebx, 23, 16);
  const uint32_t apicId = Bits(leaf1.ebx, 31, 24);
  const uint32_t family = Bits(leaf1.eax, 11, 8) + Bits(leaf1.eax, 27, 20);

  if (!IsPaired(vendor, cores, logical, family)) return alone;
  // The two members of a pair differ only in APIC identifier bit 0.
  return {apicId >> 1, apicId & 1};
}

ProcessorTopology GetProcessorTopology(platform::Platform& platform, uint32_t k) {
  PinToProcessor(platform.processors, k);
  const ProcessorTopology topology = TopologyFromCpuid(platform.cpu, k);
  UnpinThread(platform.processors);
  return topology;
}

void LinkPartners(std::span<CpuInfo> records) {
  for (size_t k = 0; k < records.size(); ++k) {
    CpuInfo& self = records[k];
    self.partnerIndex = -1;
    for (size_t j = 0; j < records.size(); ++j) {
      const CpuInfo& other = records[j];
      if (j != k && other.packageId == self.packageId &&
          (other.isSecondary != 0) != (self.isSecondary != 0)) {
        self.partnerIndex = static_cast<int32_t>(j);
        break;
      }
    }
  }
}

void AssignTopology(platform::Platform& platform, std::span<CpuInfo> records) {
  for (size_t k = 0; k < records.size(); ++k) {
    const auto topology = GetProcessorTopology(platform, static_cast<uint32_t>(k));
    records[k].index = static_cast<uint32_t>(k);
    records[k].packageId = topology.packageId;
    records[k].isSecondary = topology.isSecondary;
  }
  LinkPartners(records);
}

}  // namespace pacetta
