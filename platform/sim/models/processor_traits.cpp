#include "platform/sim/models/processor_traits.h"

#include <algorithm>
#include <array>

#include "platform/sim/machine/cpuid_fields.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kPowerManagementLeaf = 0x80000007;  // AMD "Advanced Power Management"
constexpr uint32_t kThermalPowerLeaf = 6;              // Intel "Thermal and Power Management"

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// AMD brand ids of mobile K8 products (8000_0001h EBX bits 11..6 on revisions before F),
// from the Revision Guide's brand-id table: Mobile Athlon 64, Mobile Sempron, Turion 64.
bool IsMobileK8BrandId(const CpuidLeaves& leaves) {
  static constexpr std::array kMobileIds = {9u, 10u, 11u, 30u, 35u};
  if (MaxExtendedLeaf(leaves) < kExtendedLeafBase + 1) return false;
  const uint32_t brandId = LeafOf(leaves, kExtendedLeafBase + 1).ebx >> 6 & 0x3F;
  return std::find(kMobileIds.begin(), kMobileIds.end(), brandId) != kMobileIds.end();
}

// The letter of an Intel model number ("T7500" in "Core(TM)2 Duo CPU T7500 @ 2.20GHz"):
// T, L, U and P are the mobile series.
bool IsMobileIntelModelNumber(const std::string& brand) {
  auto end = brand.find(" @");
  if (end == std::string::npos) return false;
  while (end > 0 && brand[end - 1] == ' ') --end;  // brands pad the number with spaces
  if (end == 0) return false;
  const auto space = brand.find_last_of(' ', end - 1);
  const char letter = brand[space == std::string::npos ? 0 : space + 1];
  return letter == 'T' || letter == 'L' || letter == 'U' || letter == 'P';
}

ModelFamily AmdFamily(uint32_t family) {
  if (family == 6) return ModelFamily::kAmdK7;
  if (family == 0xF) return ModelFamily::kAmdK8;
  if (family >= 0x17) return ModelFamily::kAmdZen;
  return ModelFamily::kNone;
}

ModelFamily IntelFamily(uint32_t family, uint32_t model, bool hwp) {
  if (family == 0xF) return model >= 3 ? ModelFamily::kPentium4 : ModelFamily::kPentium4Model2;
  if (family != 6) return ModelFamily::kNone;
  if (model == 9 || model == 13) return ModelFamily::kPentiumM;
  if (model == 14) return ModelFamily::kCoreDuo;
  if (model == 15 || model == 22 || model == 23) return ModelFamily::kCore2;
  if (hwp) return ModelFamily::kIntelHwp;
  return ModelFamily::kNone;  // Pentium Pro, II, III: no performance-state hardware
}

void AddAmdTraits(const CpuidLeaves& leaves, ProcessorTraits& traits) {
  if (MaxExtendedLeaf(leaves) >= kPowerManagementLeaf) {
    const uint32_t edx = LeafOf(leaves, kPowerManagementLeaf).edx;
    traits.fidVidControl = (edx & 0x6) == 0x6;
    traits.fineFidSteps = traits.family == ModelFamily::kAmdK8 && (edx & 0x40) != 0;
    traits.thermalSensor = traits.family == ModelFamily::kAmdK8 && (edx & 0x1) != 0;
  }
  if (traits.family == ModelFamily::kAmdK8) {
    // Extended model: 1 revision D, 2-3 revision E, 4, 5, 12 revision F, 6-7 revision G.
    const uint32_t e = traits.extendedModel;
    traits.k8RevE = e == 2 || e == 3;
    traits.k8Npt = e == 4 || e == 5 || e == 6 || e == 7 || e == 12;
    traits.k8MobileVids = !traits.k8Npt && IsMobileK8BrandId(leaves);
    traits.mobile =
        traits.k8MobileVids || Contains(traits.brand, "Mobile") || Contains(traits.brand, "Turion");
  } else {
    // Every K7 with FID/VID control is a mobile part (PowerNow!).
    traits.mobile =
        traits.fidVidControl || Contains(traits.brand, "obile") || Contains(traits.brand, "XP-M");
  }
}

void AddIntelTraits(const CpuidLeaves& leaves, ProcessorTraits& traits) {
  const platform::CpuidResult features = LeafOf(leaves, 1);
  traits.eist = (features.ecx & 0x80) != 0;
  traits.tm2 = (features.ecx & 0x100) != 0;
  traits.clockModulation = (features.edx & 0x400000) != 0;
  traits.mobile = Contains(traits.brand, "Mobile") || Contains(traits.brand, "Pentium(R) M") ||
                  IsMobileIntelModelNumber(traits.brand);
  // Leaves beyond the highest standard leaf echo another leaf: only a reported leaf 6
  // describes the thermal sensor and dynamic acceleration.
  const bool hasLeaf6 = MaxStandardLeaf(leaves) >= kThermalPowerLeaf;
  const uint32_t leaf6 = hasLeaf6 ? LeafOf(leaves, kThermalPowerLeaf).eax : 0;
  traits.thermalSensor = traits.family != ModelFamily::kViaC7 && (leaf6 & 0x1) != 0;
  constexpr uint32_t kHybridLeaf = 0x1A, kAtomCoreType = 0x20;
  traits.efficiencyCore = MaxStandardLeaf(leaves) >= kHybridLeaf &&
                          (LeafOf(leaves, kHybridLeaf).eax >> 24) == kAtomCoreType;
  if (traits.family != ModelFamily::kCore2) return;
  traits.ida = (leaf6 & 0x2) != 0;
  // Dynamic FSB frequency switching came with the Santa Rosa platform's Merom steppings.
  const uint32_t s = traits.signature & 0xFFF;
  traits.dffs = traits.mobile && (s == 0x6FA || s == 0x6FB || s == 0x6FD);
}

}  // namespace

const char* FamilyName(ModelFamily family) {
  switch (family) {
    case ModelFamily::kNone:
      return "none";
    case ModelFamily::kAmdK7:
      return "AMD K7";
    case ModelFamily::kAmdK8:
      return "AMD K8";
    case ModelFamily::kPentiumM:
      return "Pentium M";
    case ModelFamily::kCoreDuo:
      return "Core Duo";
    case ModelFamily::kCore2:
      return "Core 2";
    case ModelFamily::kPentium4Model2:
      return "Pentium 4 model 2";
    case ModelFamily::kPentium4:
      return "Pentium 4";
    case ModelFamily::kViaC7:
      return "VIA C7";
    case ModelFamily::kAmdZen:
      return "AMD Zen";
    case ModelFamily::kIntelHwp:
      return "Intel HWP";
    case ModelFamily::kTransmeta:
      return "Transmeta";
  }
  return "none";
}

ProcessorTraits ClassifyProcessor(const CpuidLeaves& leaves) {
  ProcessorTraits traits;
  if (MaxStandardLeaf(leaves) < 1) return traits;
  traits.signature = SignatureOf(leaves);
  traits.extendedModel = traits.signature >> 16 & 0xF;
  traits.brand = BrandStringOf(leaves);
  const uint32_t family = FamilyOf(leaves);
  const uint32_t model = FullModelOf(leaves);
  const std::string vendor = VendorOf(leaves);

  if (vendor == kVendorAmd) {
    traits.family = AmdFamily(family);
    if (traits.family != ModelFamily::kNone) AddAmdTraits(leaves, traits);
  } else if (vendor == kVendorIntel) {
    const bool hwp = MaxStandardLeaf(leaves) >= kThermalPowerLeaf &&
                     (LeafOf(leaves, kThermalPowerLeaf).eax & 0x80) != 0;
    traits.family = IntelFamily(family, model, hwp);
    if (traits.family != ModelFamily::kNone) AddIntelTraits(leaves, traits);
  } else if (vendor == kVendorCentaur && family == 6 && model == 10) {
    traits.family = ModelFamily::kViaC7;
    AddIntelTraits(leaves, traits);
  } else if (vendor == kVendorTransmeta && (family == 5 || family == 0xF)) {
    traits.family = ModelFamily::kTransmeta;
    traits.mobile = true;  // every Crusoe and Efficeon went into notebooks and tablets
  }
  return traits;
}

}  // namespace pacetta::sim
