#include "platform/sim/catalogue/composed_processors.h"
#include "platform/sim/catalogue/leaf_edits.h"
#include "platform/sim/machine/cpuid_fields.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kExt1 = kExtendedLeafBase + 1;
constexpr uint32_t kExtPowerManagement = kExtendedLeafBase + 7;
constexpr uint32_t kExtSvm = kExtendedLeafBase + 0xA;

}  // namespace

void ComposeTurion64X2(MachineSpec& machine) {
  // Signature 40F82h: family 0Fh, extended model 4, model 8, stepping 2, the BH-F2 core
  // ("Taylor"/"Trinidad") of the Turion 64 X2 TL-50..TL-60 (AMD Revision Guide for
  // family 0Fh, publication 33610). Model bits 5:4 = 0 is the S1g1 package.
  constexpr uint32_t kSignature = 0x00040F82;
  // Revision F adds CMPXCHG16B (leaf 1 ECX bit 13) next to SSE3 (bit 0).
  EditLeaf(machine, 1, [](platform::CpuidResult& r) {
    r.eax = kSignature;
    r.ecx = 0x00002001;
  });
  // 80000001h: the TL-56's brand id in EBX[15:0], in the NPT brand-id fields: NN =
  // {bit 15, bits 5:0} = 27 (model number 27 + 29), String1 = bits 13:9 = 2, PwrLmt =
  // {bits 8:6, bit 14} = 12, so String1:PwrLmt = 44, the "Turion 64 X2 Mobile
  // Technology TL-" string of the S1g1 package. Revision F also reports SVM, ExtApicSpace
  // and AltMovCr8 in ECX (bits 2..4) and RDTSCP in EDX bit 27 (AMD CPUID guide,
  // publication 25481).
  EditLeaf(machine, kExt1, [](platform::CpuidResult& r) {
    r.eax = kSignature;
    r.ebx = 0x0000059B;
    r.ecx = 0x0000001F;
    r.edx = 0xEBD3FBFF;
  });
  SetBrandString(machine, "AMD Turion(tm) 64 X2 Mobile Technology TL-56");
  // Mobile parts report TS, FID, VID, TTP, TM and STC (bits 0..5), as the single-core
  // Turion 64 dump does.
  EditLeaf(machine, kExtPowerManagement, [](platform::CpuidResult& r) { r.edx = 0x0000003F; });
  // SVM revision 1 with 64 address space ids (25481, function 8000000Ah).
  SetLeaf(machine, kExtSvm, {0x00000001, 0x00000040, 0, 0});
  // 512 KB of level 2 per core, as the 3800+ has: leaf 80000006h stays.
  // Each core's time-stamp counter runs at that core's own clock, which ramps down on its
  // own while the core is halted (C1 clock ramping): here the second core's counter
  // falls behind the first's by 100 ppm, 180000 cycles a second at 1.8 GHz.
  if (machine.processors.size() > 1) machine.processors[1].tscDriftPpm = -100;
}

void ComposeMobileAthlonXpM(MachineSpec& machine) {
  // The mobile Barton keeps the desktop signature 6A0h and its 512 KB level 2; the BIOS
  // writes the mobile name, and the part reports PowerNow! frequency and voltage control
  // (80000007h EDX bits 1 and 2) besides the temperature sensor (bit 0) (AMD Processor
  // Recognition Application Note, publication 20734).
  SetBrandString(machine, "mobile AMD Athlon(tm) XP-M 2500+");
  EditLeaf(machine, kExtPowerManagement, [](platform::CpuidResult& r) { r.edx = 0x00000007; });
}

}  // namespace pacetta::sim
