// AMD K7 (family 6): Athlon, Duron, Athlon XP/MP and their mobile parts. One die serves
// several brands, so the name depends on how the part is used: mobile (it changes its own
// FID), multiprocessor (capable, and on the AMD-760MP host bridge), or plain desktop.
#include "cpu/identify/feature_predicates.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

namespace {

// The host bridge of the AMD-760MP/MPX chipsets: the only boards that run K7s in pairs.
constexpr uint32_t kAmdVendorId = 0x1022;
constexpr uint32_t kAmd760MpHostBridge = 0x700C;

// The K7 kinds: 0 mobile; 1 desktop and 2 multiprocessor without FID/VID control; 3
// desktop and 4 multiprocessor with it.
enum class K7Kind {
  kMobile = 0,
  kDesktop = 1,
  kMultiprocessor = 2,
  kDesktopPowerNow = 3,
  kMultiprocessorPowerNow = 4
};

bool OnMultiprocessorBoard(const ProcessorFacts& facts, NamingHardware& hardware) {
  if (!facts.multiprocessor) return false;
  const uint32_t id = hardware.ReadPciDword({0, 0}, 0x00);
  return (id & 0xFFFF) == kAmdVendorId && (id >> 16) == kAmd760MpHostBridge;
}

K7Kind KindOf(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware) {
  if (SupportsFidVidControl(cpu)) {
    // A mobile part starts below its highest FID; a desktop one starts at it.
    if (cpu.startFid != cpu.maxFid) return K7Kind::kMobile;
    return OnMultiprocessorBoard(facts, hardware) ? K7Kind::kMultiprocessorPowerNow
                                                  : K7Kind::kDesktopPowerNow;
  }
  return OnMultiprocessorBoard(facts, hardware) ? K7Kind::kMultiprocessor : K7Kind::kDesktop;
}

bool IsMultiprocessorKind(K7Kind kind) {
  return kind == K7Kind::kMultiprocessor || kind == K7Kind::kMultiprocessorPowerNow;
}

// The Athlon XP brands of one die.
int XpGroup(K7Kind kind, const ProcessorFacts& facts, ModelText& model) {
  if (kind == K7Kind::kMobile) {
    model = facts.Says("lv") ? "Mobile AMD Athlon(TM) XP-M (LV)" : "Mobile AMD Athlon(TM) XP-M";
    return logo::kMobileAthlonXpM;
  }
  if (IsMultiprocessorKind(kind)) {
    model = "AMD Athlon(TM) MP";
    return logo::kAthlonMp;
  }
  if (facts.multiprocessor) {
    model = "AMD Sempron(TM)";
    return logo::kSempron;
  }
  model = "AMD Athlon(TM) XP";
  return logo::kAthlonXp;
}

// The Duron brands of one die.
int DuronGroup(K7Kind kind, ModelText& model) {
  if (kind == K7Kind::kMobile) {
    model = "Mobile AMD Duron(TM)";
  } else if (IsMultiprocessorKind(kind)) {
    model = "AMD Duron(TM) MP";
  } else {
    model = "AMD Duron(TM)";
  }
  return logo::kDuron;
}

int NamePalomino(K7Kind kind, uint32_t stepping, ModelText& model) {
  if (kind == K7Kind::kMobile) {
    model = "Mobile AMD Athlon(TM) 4";
    return logo::kMobileAthlon4;
  }
  if (IsMultiprocessorKind(kind)) {
    model = "AMD Athlon(TM) MP";
    return logo::kAthlonMpPalomino;
  }
  if (stepping <= 1) {
    model = "AMD Athlon(TM)";
    return logo::kAthlon;
  }
  if (stepping == 2) {
    model = "AMD Athlon(TM) XP";
    return logo::kAthlonXpPalomino;
  }
  return logo::kUnknown;
}

}  // namespace

int NameAmdK7(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
              NameFields& fields) {
  const uint32_t stepping = facts.stepping;
  RevisionText& revision = fields.revision;
  switch (facts.model) {
    case 1:
      fields.model = "AMD Athlon(TM)";
      fields.core = "K7";
      SetLabel(revision, stepping, {{1, "C1"}, {2, "C2"}});
      return logo::kAthlon;
    case 2:
      fields.model = "AMD Athlon(TM)";
      fields.core = "K75 (Pluto/Orion)";
      SetLabel(revision, stepping, {{1, "A1"}, {2, "A2"}});
      return logo::kAthlon;
    case 3:
      fields.model = SupportsFidVidControl(cpu) ? "Mobile AMD Duron(TM)" : "AMD Duron(TM)";
      fields.core = "Spitfire";
      SetLabel(revision, stepping, {{0, "A0"}, {1, "A2"}});
      return logo::kDuron;
    case 4:
      fields.model = "AMD Athlon(TM)";
      fields.core = "Thunderbird";
      SetLabel(revision, stepping, {{2, "A4-A7"}, {4, "A9"}});
      return logo::kAthlon;
    case 6: {
      SetLabel(revision, stepping, {{0, "A0"}, {1, "A2"}, {2, "A5"}});
      const K7Kind kind = KindOf(cpu, facts, hardware);
      if (facts.l2Kb < 256) {
        fields.core = "Morgan";
        return DuronGroup(kind, fields.model);
      }
      fields.core = "Palomino";
      return NamePalomino(kind, stepping, fields.model);
    }
    case 7:
      fields.core = "Morgan";
      SetLabel(revision, stepping, {{0, "A0"}, {1, "A1"}});
      return DuronGroup(KindOf(cpu, facts, hardware), fields.model);
    case 8: {
      SetLabel(revision, stepping, {{0, "A0"}, {1, "B0"}});
      const K7Kind kind = KindOf(cpu, facts, hardware);
      if (facts.l2Kb < 256) {
        // The small-cache die sells as a mobile Athlon XP-M, or else as a Duron.
        fields.core = "Applebred";
        return kind == K7Kind::kMobile ? XpGroup(kind, facts, fields.model)
                                       : DuronGroup(kind, fields.model);
      }
      fields.core = "Thoroughbred";
      return XpGroup(kind, facts, fields.model);
    }
    case 10:
      SetLabel(revision, stepping, {{0, "A2"}});
      fields.core = facts.l2Kb == 512 ? "Barton" : "Thorton";
      return XpGroup(KindOf(cpu, facts, hardware), facts, fields.model);
    default:
      return logo::kUnknown;
  }
}

}  // namespace pacetta::names
