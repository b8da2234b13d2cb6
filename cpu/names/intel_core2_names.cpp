// Core 2 (family 6 models 15, 22 and 23): one die family sold as Core 2 Solo, Duo, Quad
// and Extreme, Pentium Dual-Core, Celeron and Xeon. The codename follows the shared cache
// and core count; desktop and mobile dies are told apart by the Core 2 type that
// identification read from the bus frequency register.
#include "cpu/identify/bits.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

// IA32_PERF_STATUS: the Extreme parts report their unlocked ratio with bit 31 of the low
// half set.
constexpr uint32_t kPerfStatus = 0x198;

struct CacheCore {
  uint32_t kb;
  const char* core;
};

const char* ByCache(uint32_t kb, std::initializer_list<CacheCore> rows) {
  for (const CacheCore& row : rows) {
    if (row.kb == kb) return row.core;
  }
  return nullptr;
}

const char* XeonCore(const ProcessorFacts& facts, uint32_t cacheKb) {
  if (facts.coresPerPackage == 4) return facts.Says("x32") ? "Kentsfield" : "Clovertown";
  if (facts.coresPerPackage == 2 && facts.Says("51")) return "Woodcrest";
  return ByCache(cacheKb, {{2048, "Allendale"}, {4096, "Conroe"}});
}

// Models 15 and 22 (65 nm).
const char* MeromConroeCore(const ProcessorFacts& facts, bool mobile, uint32_t cacheKb) {
  if (mobile) return ByCache(cacheKb, {{1024, "Merom-L"}, {2048, "Merom-2M"}, {4096, "Merom"}});
  if (facts.coresPerPackage == 4) return "Kentsfield";
  return ByCache(cacheKb,
                 {{512, "Conroe-L"}, {1024, "Allendale"}, {2048, "Allendale"}, {4096, "Conroe"}});
}

// Model 23 (45 nm).
const char* PenrynWolfdaleCore(const ProcessorFacts& facts, bool mobile, uint32_t cacheKb) {
  if (facts.coresPerPackage == 4) return mobile ? "Penryn QC" : "Yorkfield";
  if (facts.coresPerPackage != 2) return nullptr;
  return mobile ? ByCache(cacheKb, {{3072, "Penryn-3M"}, {6144, "Penryn"}})
                : ByCache(cacheKb, {{3072, "Wolfdale-3M"}, {6144, "Wolfdale"}});
}

bool ReportsExtreme(NamingHardware& hardware) {
  // A register that cannot be read says nothing: it must not make every part an Extreme.
  const std::optional<uint32_t> status = hardware.ReadMsrLow(kPerfStatus);
  return status && identify::Bit(*status, 31);
}

int Named(ModelText& model, const char* text, int logo) {
  model = text;
  return logo;
}

}  // namespace

int NameCore2(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
              NameFields& fields) {
  SetLabel(fields.revision, facts.signature,
           {{0x6F1, "A1"},
            {0x6F2, "L2"},
            {0x6F4, "B0"},
            {0x6F5, "B1"},
            {0x6F6, "B2"},
            {0x6F7, "B3"},
            {0x6FA, "E1"},
            {0x6FB, "G0"},
            {0x6FD, "M0"},
            {0x10661, "A1"},
            {0x10676, "C0"}});
  const bool penryn = facts.model == 23;
  const bool mobile = cpu.switches.intelCore2CpuType == 1;
  const uint32_t cacheKb = facts.l2Kb != 0 ? facts.l2Kb : facts.l3Kb;
  if (facts.Says("xeon")) {
    if (penryn) return logo::kXeon;
    if (const char* core = XeonCore(facts, cacheKb)) fields.core = core;
    return Named(fields.model, "Genuine Intel(R) Xeon(TM)", logo::kXeon);
  }
  const char* core =
      penryn ? PenrynWolfdaleCore(facts, mobile, cacheKb) : MeromConroeCore(facts, mobile, cacheKb);
  if (core != nullptr) fields.core = core;

  if (ReportsExtreme(hardware))
    return Named(fields.model, "Genuine Intel(R) Core(TM) 2 Extreme", logo::kCore2Extreme);
  if (facts.coresPerPackage == 4)
    return Named(fields.model, "Genuine Intel(R) Core(TM) 2 Quad", logo::kCore2Quad);
  if (!penryn) {
    if (mobile && facts.coresPerPackage == 1)
      return Named(fields.model, "Genuine Intel(R) Core(TM) 2 Solo", logo::kCore2Solo);
    if (!mobile && facts.Says("pentium"))
      return Named(fields.model, "Genuine Intel(R) Pentium(R) Dual-Core", logo::kPentiumDualCore);
    if (facts.Says("celeron")) {
      return mobile ? Named(fields.model, "Genuine Intel(R) Celeron(R) M", logo::kCeleronM)
                    : Named(fields.model, "Genuine Intel(R) Celeron(R)", logo::kCeleron);
    }
  }
  return Named(fields.model, "Genuine Intel(R) Core(TM) 2 Duo", logo::kCore2Duo);
}

}  // namespace pacetta::names
