// K8 before revision F: the die and revision by signature, the name from the brand id.
// Several dies carry different codenames by level-2 size or by the brand row they sell
// as (Opteron 1xx/2xx/8xx).
#include "cpu/identify/bits.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

using identify::Bits;

struct BrandFields {
  uint32_t index = 0;  // brand table row
  uint32_t nn = 0;     // model number field
};

// The 8-bit brand id when the part has one, else the extended brand id.
BrandFields BrandFieldsOf(const ProcessorFacts& facts) {
  if (facts.brandId8 != 0) return {Bits(facts.brandId8, 7, 5), Bits(facts.brandId8, 4, 0)};
  return {Bits(facts.extendedBrandId, 11, 6), Bits(facts.extendedBrandId, 5, 0)};
}

bool InRange(uint32_t value, uint32_t first, uint32_t last) {
  return value >= first && value <= last;
}

// By level-2 size; null (no name) for any other size.
const char* ByCache(uint32_t l2Kb, const char* with512, const char* with1024) {
  if (l2Kb == 512) return with512;
  if (l2Kb == 1024) return with1024;
  return nullptr;
}

// The single-core Opteron dies, by the socket family the brand row sells them for.
const char* OpteronDie(uint32_t index) {
  if (InRange(index, 12, 15)) return "Venus";
  if (InRange(index, 16, 19)) return "Troy";
  if (InRange(index, 20, 23)) return "Athens";
  return nullptr;
}

// The dual-core Opteron dies of revision E.
const char* DualCoreOpteronDie(uint32_t index) {
  if (index == 41 || InRange(index, 44, 47) || index == 56) return "Denmark";
  if (index == 42 || InRange(index, 48, 51) || index == 57) return "Italy";
  if (index == 43 || InRange(index, 52, 55) || index == 58) return "Egypt";
  return nullptr;
}

struct CoreAndRevision {
  const char* revision = nullptr;
  const char* core = nullptr;
};

CoreAndRevision Lookup(const ProcessorFacts& facts, uint32_t index) {
  const uint32_t l2 = facts.l2Kb;
  switch (facts.signature) {
    case 0xF40:
    case 0xF50:
      return {"SH-B0", "Hammer"};
    case 0xF48:
      return {"SH-C0", ByCache(l2, "NewCastle", "ClawHammer")};
    case 0xF4A:
      return {"SH-CG", ByCache(l2, "ClawHammer/512K", "ClawHammer")};
    case 0xF51:
      return {"SH-B3", "Hammer"};
    case 0xF58:
      return {"SH-C0", "SledgeHammer"};
    case 0xF5A:
    case 0xF7A:
      return {"SH-CG", "SledgeHammer"};
    case 0xF82:
    case 0xFB2:
      return {"CH-CG", "Newcastle"};
    case 0xFC0:
    case 0xFE0:
    case 0xFF0: {
      // The value die: without long mode it is sold as the Sempron "Paris".
      const char* core = ByCache(l2, "NewCastle", "ClawHammer");
      if (!facts.longMode) {
        core = "Paris";
      } else if (l2 == 256) {
        core = "Newcastle/256K";
      }
      return {"DH-CG", core};
    }
    case 0x10F40:
    case 0x10F70:
      return {"SH-D0", "Winchester"};
    case 0x10F50:
      return {"SH-D0", OpteronDie(index)};
    case 0x10F80:
    case 0x10FB0:
      return {"CH-D0", "Winchester"};
    case 0x10FC0:
    case 0x10FF0:
      return {"DH-D0", facts.longMode ? "Winchester" : "Palermo"};
    case 0x20F10:
      return {"JH-E1", DualCoreOpteronDie(index)};
    case 0x20F12:
    case 0x30F12:
      return {"JH-E6", DualCoreOpteronDie(index)};
    case 0x20F32:
    case 0x30F32:
      return {"JH-E6", ByCache(l2, "Manchester", "Toledo")};
    case 0x20F42:
      if (InRange(index, 8, 9) || InRange(index, 29, 30)) return {"SH-E5", "Newark"};
      return {"SH-E5", InRange(index, 10, 11) ? "Lancaster" : nullptr};
    case 0x20F51:
      return {"SH-E4", OpteronDie(index)};
    case 0x20F71:
      return {"SH-E4", ByCache(l2, "Venice", "San Diego")};
    case 0x20FB1:
      return {"BH-E4", ByCache(l2, "Manchester", "Toledo")};
    case 0x20FC0:
    case 0x20FF0:
      return {"DH-E3", l2 <= 256 ? "Palermo" : ByCache(l2, "Venice", "San Diego")};
    case 0x20FC2:
    case 0x20FF2:
    case 0x30FF2: {
      if (const char* core = ByCache(l2, "Venice", "San Diego")) return {"DH-E6", core};
      if (index == 33) return {"DH-E6", "Albany"};
      if (index == 35) return {"DH-E6", "Roma"};
      return {"DH-E6", "Palermo"};
    }
    default:
      return {};
  }
}

}  // namespace

int NameAmdK8(const ProcessorFacts& facts, NameFields& fields) {
  const BrandFields brand = BrandFieldsOf(facts);
  const CoreAndRevision found = Lookup(facts, brand.index);
  if (found.revision != nullptr) fields.revision = found.revision;
  if (found.core != nullptr) fields.core = found.core;
  return NameK8ByBrandId(brand.index, brand.nn, fields.model);
}

}  // namespace pacetta::names
