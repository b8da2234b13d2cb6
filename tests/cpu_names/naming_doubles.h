#pragma once
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "cpu/cpu_info.h"
#include "cpu/identify/family_flags.h"
#include "cpu/names/naming_hardware.h"
#include "cpu/names/processor_names.h"

namespace pacetta::testing {

// Registers the test gives; a register it does not give cannot be read, a PCI function it
// does not give answers all ones as an empty slot does.
class FakeNamingHardware : public NamingHardware {
 public:
  std::map<uint32_t, uint32_t> msrs;
  std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> pci;  // bus, devfn, register
  std::map<uint32_t, platform::CpuidResult> leaves;

  std::optional<uint32_t> ReadMsrLow(uint32_t index) override {
    const auto found = msrs.find(index);
    if (found == msrs.end()) return std::nullopt;
    return found->second;
  }
  uint32_t ReadPciDword(PciLocation location, uint32_t reg) override {
    const auto found = pci.find({location.bus, location.devfn, reg});
    return found == pci.end() ? 0xFFFFFFFFu : found->second;
  }
  platform::CpuidResult Cpuid(uint32_t leaf) override {
    const auto found = leaves.find(leaf);
    return found == leaves.end() ? platform::CpuidResult{} : found->second;
  }
};

// A record as identification leaves it, built from the few leaves naming reads.
struct RecordFields {
  const char* vendor = "GenuineIntel";
  uint32_t signature = 0;
  uint32_t leaf1Ebx = 0;              // brand id in bits 7..0, logical count in bits 23..16
  uint32_t leaf1Edx = 0;              // bit 28: more than one logical processor
  uint32_t leaf4Eax = 0;              // cores per package - 1 in bits 31..26
  platform::CpuidResult extended1{};  // leaf 0x80000001
  uint32_t extended7Edx = 0;          // leaf 0x80000007 EDX: FID/VID control
  uint32_t extended8Ecx = 0;          // leaf 0x80000008 ECX: cores - 1
  const char* brand = nullptr;        // the brand string, when the part has one
  uint32_t l2Kb = 0, l3Kb = 0;
  int32_t core2Type = 0;
  int32_t startFid = 0, maxFid = 0;
  uint32_t packageId = 0;
};

inline CpuInfo Record(const RecordFields& f) {
  CpuInfo cpu;
  cpu.packageId = f.packageId;
  platform::CpuidResult& leaf0 = cpu.standardLeaves[0];
  leaf0.eax = 4;
  std::memcpy(&leaf0.ebx, f.vendor, 4);
  std::memcpy(&leaf0.edx, f.vendor + 4, 4);
  std::memcpy(&leaf0.ecx, f.vendor + 8, 4);
  cpu.standardLeaves[1] = {f.signature, f.leaf1Ebx, 0, f.leaf1Edx};
  cpu.standardLeaves[4].eax = f.leaf4Eax;
  cpu.extendedLeaves[0].eax = 0x80000008u;
  cpu.extendedLeaves[1] = f.extended1;
  cpu.extendedLeaves[7].edx = f.extended7Edx;
  cpu.extendedLeaves[8].ecx = f.extended8Ecx;
  if (f.brand != nullptr) {
    char text[48] = {};
    std::strncpy(text, f.brand, sizeof text - 1);
    // Leaves 0x80000002..4 hold 16 characters each, EAX first, lowest byte first.
    for (int leaf = 0; leaf < 3; ++leaf)
      std::memcpy(&cpu.extendedLeaves[2 + leaf], text + 16 * leaf, 16);
  }
  cpu.l2.sizeKb = f.l2Kb;
  cpu.l3.sizeKb = f.l3Kb;
  cpu.switches.intelCore2CpuType = f.core2Type;
  cpu.startFid = f.startFid;
  cpu.maxFid = f.maxFid;
  ClassifyFamily(cpu);
  return cpu;
}

struct Named {
  std::string model, core, revision;
  int logo = 0;
};

inline Named NameOf(const CpuInfo& cpu, NamingHardware& hardware) {
  ModelText model;
  CoreText core;
  RevisionText revision;
  const int logo = NameProcessor(cpu, hardware, model, core, revision);
  return {model.Str(), core.Str(), revision.Str(), logo};
}

}  // namespace pacetta::testing
