#include "cpu/identify/family_flags.h"

#include "cpu/identify/bits.h"
#include "cpu/identify/brand.h"
#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"

namespace pacetta {

namespace {

using identify::Bit;

uint32_t Flag(bool condition) {
  return condition ? 1u : 0u;
}

template <typename... Values>
bool OneOf(uint32_t value, Values... candidates) {
  return ((value == candidates) || ...);
}

void ClassifyAmd(CpuInfo& info, bool isAmd, uint32_t family, uint32_t extendedModel,
                 uint32_t brandIndex) {
  info.isK7 = Flag(isAmd && family == 6);
  info.isK8 = Flag(isAmd && family == 15);
  info.isK10 = Flag(isAmd && family == 16);
  // K8 revisions by extended model: E = 2, 3; F (NPT) = 4, 5, 12; G (NPT) = 6, 7.
  info.isK8RevE = Flag(info.isK8 && OneOf(extendedModel, 2u, 3u));
  info.isK8RevF = Flag(info.isK8 && OneOf(extendedModel, 4u, 5u, 12u));
  info.isK8RevG = Flag(info.isK8 && OneOf(extendedModel, 6u, 7u));
  info.isK8Npt = Flag(info.isK8RevF || info.isK8RevG);
  info.isK8RevEOrLater = Flag(info.isK8RevE || info.isK8Npt);
  // Before NPT the mobile parts are told apart only by their brand table row.
  info.isMobileK8 = Flag(info.isK8 && !info.isK8Npt && OneOf(brandIndex, 9u, 10u, 11u, 30u, 35u));
  info.isAmdPowerNow = Flag(info.isK7 || info.isK8 || info.isK10);
}

void ClassifyIntel(CpuInfo& info, bool isIntel, uint32_t family, uint32_t model,
                   uint32_t signature) {
  const bool p6Family = isIntel && family == 6;
  info.isPentiumM = Flag(p6Family && OneOf(model, 9u, 13u));
  info.isCoreDuo = Flag(p6Family && model == 14);
  info.isCore2 = Flag(p6Family && OneOf(model, 15u, 22u, 23u));
  info.isIntelP6 = Flag(p6Family && !info.isCoreDuo && !info.isCore2);
  info.isPentium4 = Flag(isIntel && family == 15);
  info.isPentium4Prescott = Flag(info.isPentium4 && model >= 3);
  info.isIntelCore = Flag(info.isCoreDuo || info.isCore2);
  info.isPentiumMOrCoreDuo = Flag(info.isPentiumM || info.isCoreDuo);
  info.isIntelSpeedStep = Flag(info.isPentiumM || info.isIntelCore);
  info.isIntelPState = Flag(info.isPentium4 || info.isIntelSpeedStep);
  info.isIntelSupported = Flag(info.isIntelP6 || info.isIntelPState);
  // Dynamic FSB frequency switching exists on these Merom steppings only.
  info.hasDffs = Flag(info.isCore2 && OneOf(signature, 0x6FAu, 0x6FBu, 0x6FDu));
}

}  // namespace

void ClassifyFamily(CpuInfo& info) {
  const VendorCode vendor = GetVendorCode(info);
  const CpuSignature signature = GetSignature(info);
  const uint32_t family = signature.Family();
  const uint32_t model = signature.Model();

  ClassifyAmd(info, vendor == VendorCode::kAmd, family, signature.ExtendedModel(),
              GetBrandTableIndex(info));
  ClassifyIntel(info, vendor == VendorCode::kIntel, family, model, signature.raw);

  info.isTransmeta = Flag(vendor == VendorCode::kTransmeta && OneOf(family, 5u, 15u));
  info.isVia6 = Flag(vendor == VendorCode::kVia && family == 6);
  info.isViaC7 = Flag(info.isVia6 && model == 10);

  const uint32_t thermalLeaf = StandardLeaf(info, 6).eax;
  if (info.isIntelSupported)
    info.hasDigitalThermalSensor = Flag(Bit(thermalLeaf, 0));
  else if (info.isAmdPowerNow)
    info.hasDigitalThermalSensor = Flag(Bit(ExtendedLeaf(info, 0x80000007u).edx, 0));
  info.hasIda = Flag(Bit(thermalLeaf, 1));
  // The activity counters: the effective clock and busy share without a busy wait.
  info.hasAperfMperf = Flag(Bit(StandardLeaf(info, 6).ecx, 0));
}

}  // namespace pacetta
