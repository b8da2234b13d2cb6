#include "cpu/names/name_facts.h"

#include <array>
#include <cctype>

#include "cpu/identify/bits.h"
#include "cpu/identify/brand.h"
#include "cpu/identify/leaves.h"

namespace pacetta::names {

using identify::Bit;
using identify::Bits;

namespace {

uint32_t CoresPerPackage(const CpuInfo& cpu, VendorCode vendor) {
  if (vendor == VendorCode::kIntel) return Bits(StandardLeaf(cpu, 4).eax, 31, 26) + 1;
  if (vendor == VendorCode::kAmd) return Bits(ExtendedLeaf(cpu, 0x80000008u).ecx, 7, 0) + 1;
  return 1;
}

}  // namespace

ProcessorFacts FactsOf(const CpuInfo& cpu) {
  ProcessorFacts facts;
  const CpuSignature signature = GetSignature(cpu);
  facts.vendor = GetVendorCode(cpu);
  facts.family = signature.Family();
  facts.model = signature.Model();
  facts.stepping = signature.Stepping();
  facts.signature = signature.raw;
  facts.brandId8 = GetBrandId8(cpu);
  facts.extendedBrandId = GetExtendedBrandId(cpu);
  facts.l2Kb = cpu.l2.sizeKb;
  facts.l3Kb = cpu.l3.sizeKb;
  const uint32_t extendedFeatures = ExtendedLeaf(cpu, 0x80000001u).edx;
  facts.longMode = Bit(extendedFeatures, 29);
  facts.multiprocessor = Bit(extendedFeatures, 19);
  facts.coresPerPackage = CoresPerPackage(cpu, facts.vendor);
  std::array<char, kBrandStringSize> brand{};
  if (GetBrandString(cpu, brand)) {
    for (char c : brand) {
      if (c == '\0') break;
      facts.brand.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
  }
  return facts;
}

std::string WithNumber(std::string_view format, long long number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  std::string text(format);
  const std::size_t at = text.find("%02d");
  if (at != std::string::npos) text.replace(at, 4, digits);
  return text;
}

}  // namespace pacetta::names
