// K8 revisions F and G (the AM2/S1/F socket generation): the brand id splits into a model
// number, a string selector and a power limit, read together with the package type and the
// core count that the northbridge reports.
#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"
#include "hw/k8_northbridge_devfn.h"

namespace pacetta {

namespace {

using identify::Bit;
using identify::Bits;

// Northbridge capabilities (function 3, F3xE8): CmpCap in bits 13..12, 1 on a dual-core
// part (BKDG for AMD family 0Fh revision F and G, publication 32559).
constexpr uint32_t kNorthbridgeCapabilities = 0xE8;

struct NptRow {
  uint32_t key;  // string1 * 16 + power limit
  const char* format;
  int offset;  // the number is NN + offset
  int logo;
};

// clang-format off
constexpr NptRow kServerDualCore[] = {  // package 1 (socket F), two cores
    {22, "Dual Core AMD Opteron(TM) 22%02d HE", -1, logo::kOpteron},
    {26, "Dual Core AMD Opteron(TM) 22%02d", -1, logo::kOpteron},
    {28, "Dual Core AMD Opteron(TM) 22%02d SE", -1, logo::kOpteron},
    {70, "Dual Core AMD Opteron(TM) 82%02d HE", -1, logo::kOpteron},
    {74, "Dual Core AMD Opteron(TM) 82%02d", -1, logo::kOpteron},
    {76, "Dual Core AMD Opteron(TM) 82%02d SE", -1, logo::kOpteron},
};
constexpr NptRow kDesktopSingleCore[] = {  // package 3 (AM2), one core
    {68, "AMD Athlon(TM) 64 %02d00+", 15, logo::kAthlon64},
    {72, "AMD Athlon(TM) 64 %02d00+", 15, logo::kAthlon64},
    {100, "AMD Sempron(TM) %02d00+", 15, logo::kSempron},
    {104, "AMD Sempron(TM) %02d00+", 15, logo::kSempron},
};
constexpr NptRow kDesktopDualCore[] = {  // package 3 (AM2)
    {22, "Dual Core AMD Opteron(TM) 12%02d HE", -1, logo::kOpteron},
    {26, "Dual Core AMD Opteron(TM) 12%02d", -1, logo::kOpteron},
    {28, "Dual Core AMD Opteron(TM) 12%02d SE", -1, logo::kOpteron},
    {66, "AMD Athlon(TM) 64 X2 Dual Core %02d00+", 25, logo::kAthlon64X2},
    {70, "AMD Athlon(TM) 64 X2 Dual Core %02d00+", 25, logo::kAthlon64X2},
    {72, "AMD Athlon(TM) 64 X2 Dual Core %02d00+", 25, logo::kAthlon64X2},
    {92, "AMD Athlon(TM) 64 FX-%02d Dual Core", 57, logo::kAthlon64Fx},
};
constexpr NptRow kMobileDualCore[] = {  // package 0 (S1g1), two cores
    {44, "AMD Turion(TM) 64 X2 Mobile Technology TL-%02d", 29, logo::kTurion64X2},
};
// clang-format on

template <std::size_t N>
const NptRow* Find(const NptRow (&rows)[N], uint32_t key) {
  for (const NptRow& row : rows) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

const NptRow* RowFor(uint32_t packageType, uint32_t coreCapability, uint32_t key) {
  if (packageType == 0 && coreCapability == 1) return Find(kMobileDualCore, key);
  if (packageType == 1 && coreCapability == 1) return Find(kServerDualCore, key);
  if (packageType == 3 && coreCapability == 0) {
    if (const NptRow* row = Find(kDesktopSingleCore, key)) return row;
  }
  // The AM2 table's dual-core rows also name single-core parts whose key the single-core
  // rows do not know.
  if (packageType == 3 && coreCapability <= 1) return Find(kDesktopDualCore, key);
  return nullptr;
}

}  // namespace

int NameK8NptByBrandId(uint32_t packageType, uint32_t coreCapability, uint32_t string1,
                       uint32_t powerLimit, uint32_t nn, ModelText& model) {
  const uint32_t key = string1 * 16 + powerLimit;
  if (nn != 0 && key == 0) {
    model = names::WithNumber("AMD Engineering Sample %02d", nn);
    return logo::kUnknownAmd;
  }
  const NptRow* row = nn != 0 ? RowFor(packageType, coreCapability, key) : nullptr;
  if (row == nullptr) {
    model = "AMD Processor model unknown";
    return logo::kUnknownAmd;
  }
  model = names::WithNumber(row->format, static_cast<long long>(nn) + row->offset);
  return row->logo;
}

namespace names {

int NameAmdK8Npt(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                 NameFields& fields) {
  switch (facts.signature) {
    case 0x40F12:
    case 0x40F32:
      fields.core = "Windsor";
      fields.revision = "JH-F2";
      break;
    case 0x40F82:
      fields.core = "Taylor";
      fields.revision = "BH-F2";
      break;
    case 0x40FB2:
      fields.core = "Windsor";
      fields.revision = "BH-F2";
      break;
    case 0x40FF2:
    case 0x50FF2:
      fields.core = facts.l2Kb < 512 ? "Manila" : "Orleans";
      fields.revision = "DH-F2";
      break;
    default:
      break;
  }
  const uint32_t packageType = Bits(ExtendedLeaf(cpu, 0x80000001u).eax, 5, 4);
  // A node without a northbridge location reads as a failed access does: 0.
  uint32_t capabilities = 0;
  if (const auto devfn = NorthbridgeDevfn(cpu.packageId, kK8MiscControlFunction))
    capabilities = hardware.ReadPciDword({0, *devfn}, kNorthbridgeCapabilities);
  const uint32_t b = facts.extendedBrandId;
  const uint32_t nn = (Bit(b, 15) ? 64 : 0) + Bits(b, 5, 0);
  const uint32_t string1 = Bits(b, 13, 9);
  const uint32_t powerLimit = Bits(b, 8, 6) * 2 + (Bit(b, 14) ? 1 : 0);
  return NameK8NptByBrandId(packageType, Bits(capabilities, 13, 12), string1, powerLimit, nn,
                            fields.model);
}

}  // namespace names

}  // namespace pacetta
