// Operating points of AMD K8 processors, per ordering part number, as the vendor's power
// and thermal data sheets list them in the tables they give firmware writers: the part is known
// by its signature (CPUID 1 EAX), brand index (8000_0001h EBX[11:6]) and the MaxFID,
// MaxVID, StartFID and StartVID fields of its FID/VID status register; its states run
// from the minimum P-state to the maximum one.
//
// Sources:
//  [30430] AMD Athlon 64 Processor Power and Thermal Data Sheet, publication 30430
//          (revision 3.51): Athlon 64, Athlon 64 X2, Sempron and their mobile parts.
//  [33952] AMD NPT Family 0Fh Mobile Processor Power and Thermal Data Sheet, publication
//          33952 (revision 3.40): Turion 64 X2.
// Only the maximum and minimum P-states are listed where the intermediate ones of a part
// could not be taken from its data sheet. VID codes: 1.550 V - 25 mV per code (mobile
// parts before revision F: 1.450 V - 25 mV); FID codes: multiplier 4 + FID / 2.
#include "cpu/identify/brand.h"
#include "cpu/identify/leaves.h"
#include "engine/profiles/default_sources.h"

namespace pacetta {
namespace {

constexpr uint32_t kAny = 0xFFFFFFFF;
constexpr size_t kMostStates = 8;

struct OperatingPoint {
  uint8_t fid;
  uint8_t vid;
};

struct K8Part {
  uint32_t signature;
  uint32_t brandIndex;  // 0 = any brand
  uint32_t maxFid;      // kAny = any
  uint32_t maxVid;      // kAny = any
  uint32_t startFid;
  uint32_t startVid;
  uint32_t count;
  OperatingPoint states[kMostStates];  // minimum P-state first
};

const K8Part kParts[] = {
    // Athlon 64 (ClawHammer C0, 1.8 GHz, MaxVID field 0): 800 MHz at 1.30 V, 1.8 GHz at
    // 1.50 V.
    {0x00000F48, 4, 0x0A, 0x00, 0x0A, 0x02, 2, {{0x00, 0x0A}, {0x0A, 0x02}}},
    // [30430] table 26, Sempron 3100+ SDA3100AIP3AX: 1.0 GHz at 1.100 V, 1.8 GHz at 1.400 V.
    {0x00000FC0, 0x22, 0x0A, 0x04, 0x0A, 0x06, 2, {{0x02, 0x12}, {0x0A, 0x06}}},
    // [30430] Athlon 64 3200+ (Venice, DH-E3): 1.0 GHz at 1.10 V, 2.0 GHz at 1.40 V.
    {0x00020FF0, 4, 0x0C, kAny, 0x0C, 0x06, 2, {{0x02, 0x12}, {0x0C, 0x06}}},
    // [30430] Athlon 64 X2 3800+ (Manchester, BH-E4): 1.0 GHz at 1.10 V, 2.0 GHz at 1.35 V.
    {0x00020FB1, 5, 0x0C, kAny, 0x0C, 0x08, 2, {{0x02, 0x12}, {0x0C, 0x08}}},
    // [30430] Mobile Sempron 3300+ (DH-D0): 800 MHz at 1.10 V, 2.0 GHz at 1.40 V.
    {0x00010FC0, 33, 0x0C, kAny, 0x0C, 0x06, 2, {{0x00, 0x12}, {0x0C, 0x06}}},
    // [30430] Turion 64 ML-34 (Lancaster, SH-E5, mobile VIDs): 800 MHz at 1.00 V,
    // 1.8 GHz at 1.35 V.
    {0x00020F42, 10, 0x0A, kAny, 0x0A, 0x04, 2, {{0x00, 0x12}, {0x0A, 0x04}}},
    // [33952] Turion 64 X2 TL-56 (BH-F2): 800 MHz at 0.950 V, 1.8 GHz at 1.125 V.
    {0x00040F82, 22, 0x0A, kAny, 0x0A, 0x11, 2, {{0x00, 0x18}, {0x0A, 0x11}}},
    // [33952] Turion 64 X2 TL-60 (BH-F2): 800 MHz at 0.950 V, 2.0 GHz at 1.125 V.
    {0x00040F82, 22, 0x0C, kAny, 0x0C, 0x11, 2, {{0x00, 0x18}, {0x0C, 0x11}}},
};

bool AnyOrEqual(uint32_t field, int32_t value) {
  return field == kAny || static_cast<int64_t>(field) == value;
}

bool Matches(const K8Part& part, const CpuInfo& cpu, uint32_t signature, uint32_t brand) {
  return part.signature == signature && (part.brandIndex == 0 || part.brandIndex == brand) &&
         AnyOrEqual(part.maxFid, cpu.maxFid) && AnyOrEqual(part.maxVid, cpu.maxVid) &&
         static_cast<int64_t>(part.startFid) == cpu.startFid &&
         static_cast<int64_t>(part.startVid) == cpu.startVid;
}

}  // namespace

std::optional<std::vector<PState>> LookUpK8OperatingPoints(const CpuInfo& cpu) {
  if (HighestStandardLeaf(cpu) < 1) return std::nullopt;
  const uint32_t signature = StandardLeaf(cpu, 1).eax;
  const uint32_t brand = GetBrandTableIndex(cpu);
  for (const K8Part& part : kParts) {
    if (!Matches(part, cpu, signature, brand)) continue;
    std::vector<PState> states;
    for (uint32_t i = 0; i < part.count && i < kMostStates; ++i)
      states.push_back(DefaultEntry(part.states[i].fid, part.states[i].vid));
    return states;
  }
  return std::nullopt;
}

}  // namespace pacetta
