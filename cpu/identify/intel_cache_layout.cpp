#include "cpu/identify/intel_cache_layout.h"

#include <array>
#include <utility>

#include "cpu/identify/bits.h"
#include "cpu/identify/deterministic_caches.h"
#include "cpu/identify/leaves.h"

namespace pacetta {

using identify::Bit;
using identify::Bits;

namespace {

CacheDescription* CacheFor(CpuInfo& info, CacheLevel level) {
  switch (level) {
    case CacheLevel::kL1Instruction:
      return &info.l1Instruction;
    case CacheLevel::kL1Data:
      return &info.l1Data;
    case CacheLevel::kL2:
      return &info.l2;
    case CacheLevel::kL3:
      return &info.l3;
    case CacheLevel::kNone:
      break;
  }
  return nullptr;
}

void ApplyCache(CpuInfo& info, const IntelDescriptor& descriptor, CpuSignature signature) {
  CacheLevel level = descriptor.cache;
  if (descriptor.level3OnFamily15Model6 && signature.Family() == 15 && signature.Model() == 6)
    level = CacheLevel::kL3;
  CacheDescription* cache = CacheFor(info, level);
  if (cache == nullptr) return;
  *cache = {descriptor.size, descriptor.ways, descriptor.linesPerSector, descriptor.lineSize};
}

void ApplyTlb(CpuInfo& info, const IntelDescriptor& descriptor) {
  const std::array<std::pair<TlbTarget, TlbDescription*>, 4> records{{
      {kInstructionTlb4k, &info.instructionTlb4k},
      {kDataTlb4k, &info.dataTlb4k},
      {kInstructionTlbLarge, &info.instructionTlbLarge},
      {kDataTlbLarge, &info.dataTlbLarge},
  }};
  for (const auto& [target, tlb] : records) {
    if ((descriptor.tlbs & target) == 0) continue;
    if (descriptor.tlbLevel == 2) {
      tlb->level2Entries = descriptor.size;
      tlb->level2Associativity = descriptor.ways;
    } else {
      tlb->level1Entries = descriptor.size;
      tlb->level1Associativity = descriptor.ways;
    }
  }
}

}  // namespace

void ApplyIntelDescriptor(CpuInfo& info, const IntelDescriptor& descriptor,
                          CpuSignature signature) {
  switch (descriptor.kind) {
    case DescriptorKind::kCache:
      ApplyCache(info, descriptor, signature);
      break;
    case DescriptorKind::kTlb:
      ApplyTlb(info, descriptor);
      break;
    default:
      // Null, "no cache", trace cache and prefetch sizes have no field to change. The
      // leaf-4 hint is followed by DecodeLeaf2Descriptors; leaf 18H is not read, since
      // only processors newer than any the program controls move their TLBs there.
      break;
  }
}

void DecodeLeaf2Descriptors(CpuInfo& info, platform::CpuInstructions& cpu) {
  const platform::CpuidResult leaf2 = StandardLeaf(info, 2);
  const CpuSignature signature = GetSignature(info);
  const std::array<uint32_t, 4> registers{leaf2.eax, leaf2.ebx, leaf2.ecx, leaf2.edx};
  for (std::size_t index = 0; index < registers.size(); ++index) {
    const uint32_t reg = registers[index];
    // Bit 31 set: the register holds no descriptors.
    if (Bit(reg, 31)) continue;
    // EAX byte 0 is the repeat count, not a descriptor.
    const int lowestByte = index == 0 ? 1 : 0;
    for (int byte = 3; byte >= lowestByte; --byte) {
      const auto value = static_cast<uint8_t>(Bits(reg, byte * 8 + 7, byte * 8));
      const IntelDescriptor* descriptor = FindIntelDescriptor(value);
      if (descriptor == nullptr) continue;
      if (descriptor->kind == DescriptorKind::kUseLeaf4)
        DecodeDeterministicCaches(info, cpu);
      else
        ApplyIntelDescriptor(info, *descriptor, signature);
    }
  }
}

}  // namespace pacetta
