#include "platform/sim/machine/k8_northbridge.h"

#include <set>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/pci_config.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kK8Family = 0xF;
constexpr uint32_t kFirstNodeDevice = 0x18;
constexpr uint16_t kAmdVendorId = 0x1022;
// Functions 0..3: HyperTransport configuration, address map, DRAM controller,
// miscellaneous control (device ids 1100h..1103h).
constexpr uint16_t kFunctionDeviceIds[] = {0x1100, 0x1101, 0x1102, 0x1103};

// BKDG for AMD Athlon 64 and Opteron (publication 26094), F0x60 Node ID: NodeId in bits
// 2:0, NodeCnt (nodes - 1) in bits 6:4.
constexpr uint32_t kNodeIdRegister = 0x60;
// Same guide and the revision F guide (32559), F3xE8 Northbridge Capabilities: CmpCap in
// bits 13:12, 01b on a dual-core processor.
constexpr uint32_t kCapabilitiesRegister = 0xE8;
constexpr uint32_t kCmpCapDualCore = 0x1000;

bool IsK8(const ProcessorSpec& processor) {
  return VendorOf(processor.leaves) == kVendorAmd && FamilyOf(processor.leaves) == kK8Family;
}

unsigned CoresPerPackage(const CpuidLeaves& leaves) {
  if (MaxExtendedLeaf(leaves) < kExtendedLeafBase + 8) return 1;
  return (LeafOf(leaves, kExtendedLeafBase + 8).ecx & 0xFF) + 1;
}

unsigned CoreIdBits(const CpuidLeaves& leaves) {
  // 80000008h ECX[15:12] ApicIdCoreIdSize (revision F); 0 means "derive from NC".
  const unsigned size = LeafOf(leaves, kExtendedLeafBase + 8).ecx >> 12 & 0xF;
  if (size != 0) return size;
  unsigned bits = 0;
  while ((1u << bits) < CoresPerPackage(leaves)) ++bits;
  return bits;
}

}  // namespace

uint32_t K8NodeOf(const ProcessorSpec& processor) {
  return processor.apicId >> CoreIdBits(processor.leaves);
}

void AddK8Northbridges(MachineSpec& machine) {
  std::set<uint32_t> nodes;
  bool dualCore = false;
  for (const auto& processor : machine.processors) {
    if (!IsK8(processor)) continue;
    nodes.insert(K8NodeOf(processor));
    dualCore = dualCore || CoresPerPackage(processor.leaves) > 1;
  }
  for (const uint32_t node : nodes) {
    if (node > 7) continue;  // the northbridge numbering has room for eight nodes
    for (uint32_t function = 0; function < 4; ++function) {
      const uint32_t device = kFirstNodeDevice + node;
      if (FindPciDevice(machine, 0, device * 8 + function) != nullptr) continue;
      auto northbridge = MakePciFunction(0, device, function,
                                         {.vendorId = kAmdVendorId,
                                          .deviceId = kFunctionDeviceIds[function],
                                          .classCode = kClassHostBridge,
                                          .multiFunction = function == 0});
      if (function == 0)
        WriteConfig32(northbridge, kNodeIdRegister,
                      node | static_cast<uint32_t>(nodes.size() - 1) << 4);
      if (function == 3 && dualCore)
        WriteConfig32(northbridge, kCapabilitiesRegister, kCmpCapDualCore);
      PutPciDevice(machine, std::move(northbridge));
    }
  }
}

}  // namespace pacetta::sim
