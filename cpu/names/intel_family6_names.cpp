// Intel family 6: Pentium II and III with their Celeron and Xeon siblings, Pentium M,
// Core and Core 2. One die often sells under several brands, told apart by the brand id
// or brand string and by the level-2 size the part was fused to.
#include "cpu/names/family_names.h"
#include "cpu/names/intel_brand_classes.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

constexpr char kCeleron[] = "Genuine Intel(R) Celeron(R)";
constexpr char kMobileCeleron[] = "Genuine Mobile Intel(R) Celeron(R)";
constexpr char kCeleronM[] = "Genuine Intel(R) Celeron(R) M";
constexpr char kPentium3[] = "Genuine Intel(R) Pentium(R) III";
constexpr char kPentium3Xeon[] = "Genuine Intel(R) Pentium(R) III Xeon(TM)";
constexpr char kPentium3M[] = "Genuine Mobile Intel(R) Pentium(R) III-M";
constexpr char kPentiumM[] = "Genuine Intel(R) Pentium(R) M";
constexpr char kXeon[] = "Genuine Intel(R) Xeon(TM)";
constexpr char kPentiumDualCore[] = "Genuine Intel(R) Pentium(R) Dual-Core";

// The brand id the Pentium III Xeon and some Tualatin Celerons carry, and the Celeron M's.
constexpr uint32_t kBrandPentium3Xeon = 3;
constexpr uint32_t kBrandCeleronM = 18;

int Named(ModelText& model, const char* text, int logo) {
  model = text;
  return logo;
}

// Coppermine and Tualatin parts without a brand class: the fused level-2 size decides.
int ByPentium3Cache(uint32_t l2Kb, ModelText& model) {
  if (l2Kb < 256) return Named(model, kCeleron, logo::kCeleron);
  if (l2Kb <= 512) return Named(model, kPentium3, logo::kPentium3);
  return Named(model, kPentium3Xeon, logo::kPentium3Xeon);
}

int NameCoppermine(const ProcessorFacts& facts, const IntelBrand& brand, NameFields& fields) {
  SetLabel(fields.revision, facts.stepping, {{1, "cA2"}, {3, "cB0"}, {6, "cC0"}, {10, "cD0"}});
  fields.core = "Coppermine";
  if (brand.celeron) return Named(fields.model, kCeleron, logo::kCeleron);
  if (facts.brandId8 == kBrandPentium3Xeon) {
    fields.core = "Cascades";
    return Named(fields.model, kPentium3Xeon, logo::kPentium3Xeon);
  }
  if (brand.pentium3M) {
    fields.core = "Geyserville";
    return Named(fields.model, kPentium3M, logo::kPentium3M);
  }
  if (brand.mobileCeleron) {
    fields.core = "Geyserville";
    return Named(fields.model, kMobileCeleron, logo::kCeleron);
  }
  if (facts.l2Kb > 512) fields.core = "Cascades";
  return ByPentium3Cache(facts.l2Kb, fields.model);
}

int NameTualatin(const ProcessorFacts& facts, const IntelBrand& brand, NameFields& fields) {
  SetLabel(fields.revision, facts.stepping, {{1, "tA1"}, {4, "tB1"}});
  fields.core = "Tualatin";
  if (brand.celeron) return Named(fields.model, kCeleron, logo::kCeleron);
  if (facts.brandId8 == kBrandPentium3Xeon) {
    return facts.stepping == 1 ? Named(fields.model, kCeleron, logo::kCeleron)
                               : Named(fields.model, kPentium3Xeon, logo::kPentium3Xeon);
  }
  if (brand.pentium3M) return Named(fields.model, kPentium3M, logo::kPentium3M);
  if (brand.mobileCeleron) return Named(fields.model, kMobileCeleron, logo::kCeleron);
  return ByPentium3Cache(facts.l2Kb, fields.model);
}

int NameYonah(const ProcessorFacts& facts, NameFields& fields) {
  SetLabel(fields.revision, facts.stepping, {{8, "C0"}, {12, "D0"}});
  if (facts.Says("xeon")) {
    fields.core = "Sossaman";
    return Named(fields.model, kXeon, logo::kXeon);
  }
  fields.core = "Yonah";
  if (facts.Says("celeron")) return Named(fields.model, kCeleronM, logo::kCeleronM);
  if (facts.coresPerPackage == 1)
    return Named(fields.model, "Genuine Intel(R) Core(TM) Solo", logo::kCoreSolo);
  if (facts.Says("pentium")) return Named(fields.model, kPentiumDualCore, logo::kPentiumDualCore);
  return Named(fields.model, "Genuine Intel(R) Core(TM) Duo", logo::kCoreDuo);
}

}  // namespace

int NameIntelFamily6(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                     NameFields& fields) {
  const IntelBrand brand = IntelBrandOf(facts);
  const uint32_t stepping = facts.stepping;
  switch (facts.model) {
    case 5:
      SetLabel(fields.revision, stepping, {{0, "A0"}, {2, "B0"}});
      if (facts.l2Kb == 0) {
        fields.core = "Covington";
        return Named(fields.model, kCeleron, logo::kCeleron);
      }
      fields.core = "Deschutes";
      if (facts.l2Kb < 1024)
        return Named(fields.model, "Genuine Intel(R) Pentium(R) II", logo::kPentium2);
      return Named(fields.model, "Genuine Intel(R) Pentium(R) II Xeon(TM)", logo::kPentium2Xeon);
    case 6:
      SetLabel(fields.revision, stepping, {{2, "A0"}});
      fields.core = facts.l2Kb < 256 ? "Mendocino" : "Dixon";
      return Named(fields.model, kCeleron, logo::kCeleron);
    case 7:
      SetLabel(fields.revision, stepping, {{2, "kB0"}, {3, "kC0"}});
      if (facts.l2Kb <= 512) {
        fields.core = "Katmai";
        return Named(fields.model, kPentium3, logo::kPentium3);
      }
      fields.core = "Tanner";
      return Named(fields.model, kPentium3Xeon, logo::kPentium3Xeon);
    case 8:
      return NameCoppermine(facts, brand, fields);
    case 9:
      SetLabel(fields.revision, stepping, {{5, "B1"}});
      if (facts.brandId8 == kBrandCeleronM) {
        // The Celeron M without a level-2 cache is the cut-down Banias.
        fields.core = facts.l2Kb != 0 ? "Banias" : "Shelton";
        return Named(fields.model, kCeleronM, logo::kCeleronM);
      }
      fields.core = "Banias";
      return Named(fields.model, kPentiumM, logo::kPentiumM);
    case 10:
      SetLabel(fields.revision, stepping, {{0, "A0"}, {1, "A1"}, {4, "B0"}});
      fields.core = "Cascades";
      return Named(fields.model, kPentium3Xeon, logo::kPentium3Xeon);
    case 11:
      return NameTualatin(facts, brand, fields);
    case 13:
      SetLabel(fields.revision, stepping, {{6, "B1"}, {8, "C0"}});
      fields.core = "Dothan";
      if (facts.brandId8 == kBrandCeleronM) return Named(fields.model, kCeleronM, logo::kCeleronM);
      return Named(fields.model, kPentiumM, logo::kPentiumM);
    case 14:
      return NameYonah(facts, fields);
    case 15:
    case 22:
    case 23:
      return NameCore2(cpu, facts, hardware, fields);
    default:
      return logo::kUnknownIntel;
  }
}

}  // namespace pacetta::names
