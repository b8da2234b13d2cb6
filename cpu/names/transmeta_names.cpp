// Transmeta Crusoe (family 5) and Efficeon (family 15). The revision comes from the
// processor's own leaves 0x80860001 and 0x80860002, executed now.
#include <string>

#include "cpu/identify/bits.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

using identify::Bits;

constexpr uint32_t kTransmetaBase = 0x80860000u;
constexpr uint32_t kRevisionLeaf = kTransmetaBase + 1;  // EBX revision bytes, ECX MHz
constexpr uint32_t kSoftwareLeaf = kTransmetaBase + 2;  // EAX the newer parts' revision
// The newer parts report this fixed revision word and keep their real one in leaf
// 0x80860002.
constexpr uint32_t kRevisionInSoftwareLeaf = 0x02000000u;

std::string Hex(uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return text;
}

// "a.b-c.d-mhz" from the four revision bytes and the nominal clock, or the hex revision.
// The long form reaches 26 characters; the field takes what fits.
void FormatRevision(const platform::CpuidResult& leaf, uint32_t highestLeaf,
                    NamingHardware& hardware, RevisionText& revision) {
  if (leaf.ebx == kRevisionInSoftwareLeaf) {
    if (highestLeaf >= kSoftwareLeaf) revision = Hex(hardware.Cpuid(kSoftwareLeaf).eax);
    return;
  }
  revision = std::to_string(Bits(leaf.ebx, 31, 24)) + "." + std::to_string(Bits(leaf.ebx, 23, 16)) +
             "-" + std::to_string(Bits(leaf.ebx, 15, 8)) + "." +
             std::to_string(Bits(leaf.ebx, 7, 0)) + "-" + std::to_string(leaf.ecx);
}

// The Crusoe's part by stepping and revision generation (revision leaf EBX bits 31..16);
// the larger level-2 cache tells a TM5600 from a TM5400 and a TM5800 from a TM5500.
const char* CrusoeCore(const ProcessorFacts& facts, uint32_t revisionWord) {
  const uint32_t generation = revisionWord >> 16;
  const bool large = facts.l2Kb >= 512;
  switch (facts.stepping) {
    case 2:
      return generation == 0x0101 ? "TM3200" : "TM3x00";
    case 3:
      switch (generation) {
        case 0x0102:
          return "TM5400";
        case 0x0103:
          return large ? "TM5600" : "TM5400";
        case 0x0104:
        case 0x0105:
          return large ? "TM5800" : "TM5500";
        default:
          return "TM5x00";
      }
    default:
      return nullptr;
  }
}

}  // namespace

int NameTransmeta(const ProcessorFacts& facts, NamingHardware& hardware, NameFields& fields) {
  // A processor without the revision leaf would answer it with unrelated data: it keeps
  // "Unknown", and its revision word reads as 0.
  const uint32_t highestLeaf = hardware.Cpuid(kTransmetaBase).eax;
  const bool hasRevisionLeaf =
      highestLeaf >= kRevisionLeaf && highestLeaf <= kTransmetaBase + 0xFFFF;
  const platform::CpuidResult leaf =
      hasRevisionLeaf ? hardware.Cpuid(kRevisionLeaf) : platform::CpuidResult{};
  if (hasRevisionLeaf) FormatRevision(leaf, highestLeaf, hardware, fields.revision);
  if (facts.family == 15 && (facts.model == 2 || facts.model == 3)) {
    fields.model = "Transmeta(TM) Efficeon(TM)";
    fields.core = "TM8000";
    return logo::kEfficeon;
  }
  if (facts.family == 5 && facts.model == 4) {
    fields.model = "Transmeta(TM) Crusoe(TM)";
    if (const char* core = CrusoeCore(facts, leaf.ebx)) fields.core = core;
    return logo::kCrusoe;
  }
  return logo::kUnknown;
}

}  // namespace pacetta::names
