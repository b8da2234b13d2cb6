// Intel family 15 (NetBurst): Pentium 4 and its mobile, Celeron, Xeon, Pentium D and
// Extreme Edition siblings, by model generation (Willamette, Northwood, Prescott, Cedar
// Mill).
#include "cpu/identify/bits.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/names/family_names.h"
#include "cpu/names/intel_brand_classes.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

// MSR_EBC_FREQUENCY_ID: the bus speed code in bits 18..16. The Extreme Edition runs the
// fastest bus, whose code has neither bit 17 nor bit 16 set.
constexpr uint32_t kEbcFrequencyId = 0x2C;

constexpr char kPentium4[] = "Genuine Intel(R) Pentium(R) 4";
constexpr char kMobilePentium4[] = "Genuine Mobile Intel(R) Pentium(R) 4";
constexpr char kPentium4Ee[] = "Genuine Intel(R) Pentium(R) 4 Extreme Edition";
constexpr char kPentiumEe[] = "Genuine Intel(R) Pentium(R) Extreme Edition";
constexpr char kPentiumD[] = "Genuine Intel(R) Pentium(R) D";
constexpr char kCeleron[] = "Genuine Intel(R) Celeron(R)";
constexpr char kMobileCeleron[] = "Genuine Mobile Intel(R) Celeron(R)";
constexpr char kCeleronD[] = "Genuine Intel(R) Celeron(R) D";
constexpr char kXeon[] = "Genuine Intel(R) Xeon(TM)";
constexpr char kXeonMp[] = "Genuine Intel(R) Xeon(TM) MP";

int Named(ModelText& model, const char* text, int logo) {
  model = text;
  return logo;
}

int Pentium4Logo(const CpuInfo& cpu) {
  return GetLogicalCount(cpu) ? logo::kPentium4Ht : logo::kPentium4;
}

// Prescott and Cedar Mill parts that are neither mobile, Celeron, Xeon nor dual-core.
int Pentium4Rule(const CpuInfo& cpu, NamingHardware& hardware, ModelText& model) {
  const std::optional<uint32_t> ebc = hardware.ReadMsrLow(kEbcFrequencyId);
  // Without the register there is no sign of the Extreme Edition's bus.
  if (!ebc || identify::Bit(*ebc, 17) || identify::Bit(*ebc, 16))
    return Named(model, kPentium4, Pentium4Logo(cpu));
  return Named(model, kPentium4Ee, logo::kPentium4ExtremeEdition);
}

// Dual-core parts: the Extreme Edition adds Hyper-Threading to both cores.
int DualCore(uint32_t logicalCount, ModelText& model) {
  if (logicalCount > 2) return Named(model, kPentiumEe, logo::kPentiumExtremeEdition);
  return Named(model, kPentiumD, logo::kPentiumD);
}

// Willamette has no Hyper-Threading: its Pentium 4 logo is always the plain one.
int NameWillamette(const ProcessorFacts& facts, const IntelBrand& brand, NameFields& fields) {
  SetLabel(fields.revision, facts.signature,
           {{0xF07, "B2"}, {0xF0A, "C1"}, {0xF11, "C0"}, {0xF12, "D0"}, {0xF13, "E0"}});
  if (brand.xeonMp || (brand.xeon && facts.signature < 0xF13 && facts.brandId8 != 14)) {
    // Before signature 0xF13 brand id 11 (and the plain "xeon" text) marked the MP part.
    fields.core = "Foster MP";
    return Named(fields.model, kXeonMp, logo::kXeon);
  }
  if (brand.xeon) {
    fields.core = "Foster";
    return Named(fields.model, kXeon, logo::kXeon);
  }
  fields.core = "Willamette";
  if (brand.mobilePentium) return Named(fields.model, kMobilePentium4, logo::kPentium4);
  if (brand.mobileCeleron) return Named(fields.model, kMobileCeleron, logo::kCeleron);
  if ((brand.celeronId && facts.l2Kb < 128) || facts.Says("celeron"))
    return Named(fields.model, kCeleron, logo::kCeleron);
  return Named(fields.model, kPentium4, logo::kPentium4);
}

int NameNorthwood(const CpuInfo& cpu, const ProcessorFacts& facts, const IntelBrand& brand,
                  NameFields& fields) {
  SetLabel(fields.revision, facts.signature,
           {{0xF22, "A0"}, {0xF24, "B0"}, {0xF25, "M0"}, {0xF27, "C1"}, {0xF29, "D1"}});
  const bool hasL3 = facts.l3Kb != 0;
  if (brand.mobilePentium || brand.mobileCeleron || (brand.celeronId && facts.l2Kb < 128) ||
      facts.Says("celeron")) {
    fields.core = "Northwood";
    if (brand.mobilePentium) return Named(fields.model, kMobilePentium4, Pentium4Logo(cpu));
    if (brand.mobileCeleron) return Named(fields.model, kMobileCeleron, logo::kCeleron);
    return Named(fields.model, kCeleron, logo::kCeleron);
  }
  if (brand.xeonMp || brand.xeon) {
    fields.core = hasL3 ? "Gallatin" : "Prestonia";
    return Named(fields.model, brand.xeonMp ? kXeonMp : kXeon, logo::kXeon);
  }
  if (hasL3) {
    fields.core = "Gallatin";
    return Named(fields.model, kPentium4Ee, logo::kPentium4ExtremeEdition);
  }
  fields.core = "Northwood";
  return Named(fields.model, kPentium4, Pentium4Logo(cpu));
}

// The Prescott-generation Xeon cores, MP (four-socket) or DP.
const char* PrescottXeonCore(const ProcessorFacts& facts, bool mp) {
  if (facts.signature == 0xF48 || facts.coresPerPackage > 1)
    return mp ? "Paxville MP" : "Paxville DP";
  if (facts.l3Kb != 0) return "Potomac";
  if (facts.l2Kb < 2048) return mp ? "Cranford" : "Nocona";
  return "Irwindale";
}

int NamePrescott(const CpuInfo& cpu, const ProcessorFacts& facts, const IntelBrand& brand,
                 NamingHardware& hardware, NameFields& fields) {
  SetLabel(fields.revision, facts.signature,
           {{0xF33, "C0"},
            {0xF34, "D0"},
            {0xF41, "E0"},
            {0xF43, "N0"},
            {0xF44, "A0"},
            {0xF48, "A0"},
            {0xF47, "B0"},
            {0xF49, "G1"},
            {0xF4A, "R0"}});
  if (brand.mobilePentium) {
    fields.core = "Prescott";
    return Named(fields.model, kMobilePentium4, Pentium4Logo(cpu));
  }
  if (brand.celeron || brand.mobileCeleron) {
    fields.core = "Prescott";
    return Named(fields.model, kCeleronD, logo::kCeleronD);
  }
  if (brand.xeonMp || brand.xeon) {
    fields.core = PrescottXeonCore(facts, brand.xeonMp);
    return Named(fields.model, brand.xeonMp ? kXeonMp : kXeon, logo::kXeon);
  }
  uint32_t logical = 0;
  GetLogicalCount(cpu, &logical);
  const bool smithfield = facts.signature == 0xF44 || facts.signature == 0xF47 ||
                          facts.signature == 0xF48 || facts.coresPerPackage > 1;
  if (smithfield && logical > 1) {
    fields.core = "Smithfield";
    return DualCore(logical, fields.model);
  }
  fields.core = "Prescott";
  return Pentium4Rule(cpu, hardware, fields.model);
}

int NameCedarMill(const CpuInfo& cpu, const ProcessorFacts& facts, const IntelBrand& brand,
                  NamingHardware& hardware, NameFields& fields) {
  SetLabel(fields.revision, facts.signature, {{0xF62, "B1"}, {0xF64, "C1"}, {0xF68, "B0"}});
  if (brand.mobilePentium) {
    fields.core = "Cedar Mill";
    return Named(fields.model, kMobilePentium4, Pentium4Logo(cpu));
  }
  if (brand.celeron || brand.mobileCeleron) {
    fields.core = "Cedar Mill";
    return Named(fields.model, kCeleronD, logo::kCeleronD);
  }
  if (brand.xeonMp || brand.xeon) {
    fields.core = facts.l3Kb != 0 ? "Tulsa" : "Dempsey";
    return Named(fields.model, brand.xeonMp ? kXeonMp : kXeon, logo::kXeon);
  }
  uint32_t logical = 0;
  GetLogicalCount(cpu, &logical);
  if (facts.coresPerPackage > 1 && logical > 1) {
    fields.core = "Presler";
    return DualCore(logical, fields.model);
  }
  fields.core = "Cedar Mill";
  return Pentium4Rule(cpu, hardware, fields.model);
}

}  // namespace

int NameIntelFamily15(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
                      NameFields& fields) {
  const IntelBrand brand = IntelBrandOf(facts);
  switch (facts.model) {
    case 0:
    case 1:
      return NameWillamette(facts, brand, fields);
    case 2:
      return NameNorthwood(cpu, facts, brand, fields);
    case 3:
    case 4:
      return NamePrescott(cpu, facts, brand, hardware, fields);
    case 6:
      return NameCedarMill(cpu, facts, brand, hardware, fields);
    default:
      return logo::kUnknownIntel;
  }
}

}  // namespace pacetta::names
