#pragma once
#include <cstdint>
#include <span>

namespace pacetta {

// What a leaf-2 descriptor byte describes, as far as the processor record can hold it.
enum class DescriptorKind : uint8_t {
  kNull,        // 00H: no information
  kCache,       // one cache level
  kTlb,         // one or more TLB records
  kTraceCache,  // NetBurst trace cache, sized in micro-operations: the record has no field
  kPrefetch,    // prefetch size: the record has no field
  kNoCache,     // 40H: no level-2 cache, or with one, no level-3 cache
  kUseLeaf4,    // FFH: caches are described by leaf 4 instead
  kUseLeaf18,   // FEH: TLBs are described by leaf 18H instead
};

enum class CacheLevel : uint8_t { kNone, kL1Instruction, kL1Data, kL2, kL3 };

// The TLB records of the processor record a TLB descriptor fills (bit set).
enum TlbTarget : uint8_t {
  kInstructionTlb4k = 1u << 0,
  kDataTlb4k = 1u << 1,
  kInstructionTlbLarge = 1u << 2,
  kDataTlbLarge = 1u << 3,
};

inline constexpr uint32_t kFullyAssociative = 255;

// One row of Intel's "Encoding of Cache and TLB Descriptors" (SDM vol. 2A, CPUID leaf 2).
struct IntelDescriptor {
  uint8_t value = 0;
  DescriptorKind kind = DescriptorKind::kNull;
  CacheLevel cache = CacheLevel::kNone;  // kCache
  uint8_t tlbs = 0;                      // kTlb: TlbTarget bits; 0 = nothing the record holds
  uint8_t tlbLevel = 0;                  // kTlb: 1 or 2
  uint32_t size = 0;                     // caches: KB; TLBs: entries
  uint32_t ways = 0;                     // kFullyAssociative, or 0 when not published
  uint32_t lineSize = 0;                 // caches: bytes
  uint32_t linesPerSector = 0;           // sectored caches: 2; else 0
  // 49H is a level-3 cache on the Xeon MP of family 0FH model 06H, level 2 elsewhere.
  bool level3OnFamily15Model6 = false;
};

// The table, sorted by value, one row per published descriptor.
std::span<const IntelDescriptor> IntelDescriptorTable();
// Null for values Intel has not published.
const IntelDescriptor* FindIntelDescriptor(uint8_t value);

}  // namespace pacetta
