#include "platform/sim/machine/cpuid_fields.h"

#include <array>

namespace pacetta::sim {
namespace {

void AppendWord(std::string& text, uint32_t word) {
  for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>(word >> (8 * i) & 0xFF));
}

uint32_t WordOf(std::string_view bytes, size_t at) {
  uint32_t word = 0;
  for (size_t i = 0; i < 4; ++i) {
    const auto byte = at + i < bytes.size() ? static_cast<unsigned char>(bytes[at + i]) : 0u;
    word |= static_cast<uint32_t>(byte) << (8 * i);
  }
  return word;
}

}  // namespace

platform::CpuidResult LeafOf(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf) {
  const auto it = leaves.find({leaf, subleaf});
  return it == leaves.end() ? platform::CpuidResult{} : it->second;
}

bool HasLeaf(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf) {
  return leaves.count({leaf, subleaf}) != 0;
}

std::string VendorOf(const CpuidLeaves& leaves) {
  const auto leaf0 = LeafOf(leaves, 0);
  std::string vendor;
  AppendWord(vendor, leaf0.ebx);
  AppendWord(vendor, leaf0.edx);
  AppendWord(vendor, leaf0.ecx);
  return vendor;
}

uint32_t MaxStandardLeaf(const CpuidLeaves& leaves) {
  return LeafOf(leaves, 0).eax;
}

uint32_t MaxExtendedLeaf(const CpuidLeaves& leaves) {
  const auto eax = LeafOf(leaves, kExtendedLeafBase).eax;
  return (eax & kExtendedLeafBase) != 0 ? eax : 0;
}

uint32_t SignatureOf(const CpuidLeaves& leaves) {
  return MaxStandardLeaf(leaves) >= 1 ? LeafOf(leaves, 1).eax : 0;
}

uint32_t FamilyOf(const CpuidLeaves& leaves) {
  const auto signature = SignatureOf(leaves);
  return (signature >> 8 & 0xF) + (signature >> 20 & 0xFF);
}

uint32_t FullModelOf(const CpuidLeaves& leaves) {
  const auto signature = SignatureOf(leaves);
  return (signature >> 16 & 0xF) << 4 | (signature >> 4 & 0xF);
}

std::string BrandStringOf(const CpuidLeaves& leaves) {
  if (MaxExtendedLeaf(leaves) < kExtendedLeafBase + 4) return {};
  std::string text;
  for (uint32_t leaf = kExtendedLeafBase + 2; leaf <= kExtendedLeafBase + 4; ++leaf) {
    const auto r = LeafOf(leaves, leaf);
    for (const auto word : std::array{r.eax, r.ebx, r.ecx, r.edx}) AppendWord(text, word);
  }
  text = text.substr(0, text.find('\0'));
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void SetLeafText(CpuidLeaves& leaves, uint32_t firstLeaf, int leafCount, std::string_view text) {
  for (int i = 0; i < leafCount; ++i) {
    const size_t at = static_cast<size_t>(i) * 16;
    auto& r = leaves[{firstLeaf + static_cast<uint32_t>(i), 0}];
    r.eax = WordOf(text, at);
    r.ebx = WordOf(text, at + 4);
    r.ecx = WordOf(text, at + 8);
    r.edx = WordOf(text, at + 12);
  }
}

}  // namespace pacetta::sim
