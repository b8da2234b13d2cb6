#include "platform/sim/catalogue/composed_processors.h"
#include "platform/sim/catalogue/leaf_edits.h"
#include "platform/sim/machine/cpuid_fields.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kSignature = 0x00000543;  // family 5, model 4 (Crusoe), stepping 3
// fpu vme de pse tsc msr cx8 sep cmov mmx, the features the TM5800 reports.
constexpr uint32_t kFeatures = 0x0080893F;
constexpr uint32_t kNominalMhz = 867;
constexpr uint32_t kNominalMillivolts = 1300;

}  // namespace

void ComposeCrusoeTm5800(MachineSpec& machine) {
  SetVendorText(machine, 0, kVendorTransmeta);
  SetLeaf(machine, 1, {kSignature, 0, 0, kFeatures});
  SetVendorText(machine, kExtendedLeafBase, kVendorTransmeta);
  SetLeaf(machine, kExtendedLeafBase + 1, {kSignature, 0, 0, kFeatures});
  SetBrandString(machine, "Transmeta(tm) Crusoe(tm) Processor TM5800");
  // Caches: 64 KB instruction and 64 KB data at level 1, 512 KB at level 2 (Transmeta's
  // TM5800 product data). The ways and line sizes written here (8-way and 4-way, 32-byte
  // lines) are this composition's assumption; the TLB fields stay unreported (0).
  SetLeaf(machine, kExtendedLeafBase + 5, {0, 0, 0x40080120, 0x40080120});
  SetLeaf(machine, kExtendedLeafBase + 6, {0, 0, 0x02004120, 0});

  // Transmeta's own leaves, as sandpile.org and the Linux kernel's Transmeta support
  // document them: 80860000h highest leaf and "TransmetaCPU"; 80860001h signature,
  // processor revision (bytes 3..0 give "1.4.1.0"; 0104h in bits 31:16 marks the
  // TM55xx/TM58xx generation), nominal MHz and features (bit 1 LongRun, bit 3 LongRun
  // Table Interface); 80860002h the Code Morphing Software revision ("4.2.6-8-168");
  // 80860003h..6 its 64-character build text (the text here is illustrative); 80860007h
  // the present clock (MHz), voltage (mV) and performance level (percent).
  constexpr uint32_t kBase = kTransmetaLeafBase;
  SetLeaf(machine, kBase, {kBase + 7, 0, 0, 0});
  SetVendorText(machine, kBase, "TransmetaCPU");
  SetLeaf(machine, kBase + 1, {kSignature, 0x01040100, kNominalMhz, 0x0000000A});
  SetLeaf(machine, kBase + 2, {0, 0x04020608, 168, 0});
  for (auto& processor : machine.processors)
    SetLeafText(processor.leaves, kBase + 3, 4, "20030415 10:00 official release 4.2.6#8");
  SetLeaf(machine, kBase + 7, {kNominalMhz, kNominalMillivolts, 100, 0});
}

}  // namespace pacetta::sim
