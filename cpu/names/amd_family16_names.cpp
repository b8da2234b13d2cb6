// AMD family 16 (Barcelona): the brand id holds the model number and a string index that
// picks the name by core count.
#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta {

namespace {

using identify::Bit;
using identify::Bits;

struct StringRow {
  uint32_t index;
  const char* format;
};

// clang-format off
constexpr StringRow kDualCore[] = {
    {10, "Dual-Core AMD Opteron(tm) Processor 83%02d SE"},
    {11, "Dual-Core AMD Opteron(tm) Processor 83%02d HE"},
    {12, "Dual-Core AMD Opteron(tm) Processor 83%02d EE"},
    {15, "Dual-Core AMD Opteron(tm) Processor 83%02d"},
    {26, "Dual-Core AMD Opteron(tm) Processor 23%02d SE"},
    {27, "Dual-Core AMD Opteron(tm) Processor 23%02d HE"},
    {28, "Dual-Core AMD Opteron(tm) Processor 23%02d EE"},
    {31, "Dual-Core AMD Opteron(tm) Processor 23%02d"},
};
constexpr StringRow kQuadCore[] = {
    {10, "Quad-Core AMD Opteron(tm) Processor 83%02d SE"},
    {11, "Quad-Core AMD Opteron(tm) Processor 83%02d HE"},
    {12, "Quad-Core AMD Opteron(tm) Processor 83%02d EE"},
    {15, "Quad-Core AMD Opteron(tm) Processor 83%02d"},
    {26, "Quad-Core AMD Opteron(tm) Processor 23%02d SE"},
    {27, "Quad-Core AMD Opteron(tm) Processor 23%02d HE"},
    {28, "Quad-Core AMD Opteron(tm) Processor 23%02d EE"},
    {31, "Quad-Core AMD Opteron(tm) Processor 23%02d"},
    {42, "Embedded AMD Opteron(tm) Processor 83%02d SE"},
    {43, "Embedded AMD Opteron(tm) Processor 83%02d HE"},
    {44, "Embedded AMD Opteron(tm) Processor 83%02d EE"},
    {47, "Embedded AMD Opteron(tm) Processor 83%02d"},
    {58, "Embedded AMD Opteron(tm) Processor 23%02d SE"},
    {59, "Embedded AMD Opteron(tm) Processor 23%02d HE"},
    {60, "Embedded AMD Opteron(tm) Processor 23%02d EE"},
    {63, "Embedded AMD Opteron(tm) Processor 23%02d"},
    {74, "Embedded AMD Opteron(tm) Processor 13%02d SE"},
    {75, "Embedded AMD Opteron(tm) Processor 13%02d HE"},
    {76, "Embedded AMD Opteron(tm) Processor 13%02d EE"},
    {79, "Embedded AMD Opteron(tm) Processor 13%02d"},
};
// clang-format on

template <std::size_t N>
const char* Find(const StringRow (&rows)[N], uint32_t index) {
  for (const StringRow& row : rows) {
    if (row.index == index) return row.format;
  }
  return nullptr;
}

}  // namespace

int NameFamily16ByBrandId(uint32_t brandId, uint32_t packageType, uint32_t coreCount,
                          ModelText& model) {
  const uint32_t modelNumber = Bits(brandId, 10, 4);
  const bool bit15 = Bit(brandId, 15);
  if (modelNumber == 0) {
    model = bit15 ? "AMD Thermal Test Kit" : "AMD Engineering Sample";
    return logo::kUnknownAmd;
  }
  const char* format = nullptr;
  if (packageType == 0 && !bit15) {
    const uint32_t stringIndex = Bits(brandId, 14, 11) * 16 + Bits(brandId, 3, 0);
    if (coreCount == 2) format = Find(kDualCore, stringIndex);
    if (coreCount == 4) format = Find(kQuadCore, stringIndex);
  }
  if (format == nullptr) {
    model = "AMD Processor model unknown";
    return logo::kUnknownAmd;
  }
  model = names::WithNumber(format, modelNumber);
  return logo::kOpteron;
}

namespace names {

int NameAmdFamily16(const CpuInfo& cpu, const ProcessorFacts& facts, NameFields& fields) {
  if (facts.signature == 0x100F22) {
    fields.core = "Barcelona";
    fields.revision = "DR-B2";
  } else if (facts.signature == 0x100F2A) {
    fields.core = "Barcelona";
    fields.revision = "DR-BA";
  }
  const uint32_t packageType = Bits(ExtendedLeaf(cpu, 0x80000001u).ebx, 31, 28);
  return NameFamily16ByBrandId(facts.extendedBrandId, packageType, facts.coresPerPackage,
                               fields.model);
}

}  // namespace names

}  // namespace pacetta
