// Intel's published leaf-2 descriptors: Intel 64 and IA-32 Architectures Software
// Developer's Manual, vol. 2A, CPUID, table "Encoding of Cache and TLB Descriptors"
// (rows of all revisions, later wording where a row was revised). Later editions dropped
// the rows of parts no longer made (39H..3EH, 73H); those parts still report them, so the
// rows of the older editions and of the CPUID application note (AP-485) stay here. Where
// the manual gives no associativity for a TLB that AP-485 calls fully associative, the
// note's value is used.
//
// How TLB rows map onto the record's four TLB records {level 1, level 2}:
// - "TLB0" and "uTLB" rows are level 1, "TLB1" rows level 2 (the larger TLB behind the
//   small one), unnumbered rows level 1.
// - Rows that serve several page sizes fill each record they name; 1 GB page arrays
//   have no record and are left out.
// - A shared second-level TLB serves instructions and data alike; the record has no
//   shared TLB, so it fills level 2 of both 4 KB records.
// - Large-page records count 4 MB entries; a row that gives 2 MB and 4 MB counts
//   separately (B1H) stores the 4 MB count.
#include "cpu/identify/intel_descriptors.h"

#include <algorithm>
#include <array>

namespace pacetta {

namespace {

constexpr uint32_t kFull = kFullyAssociative;
constexpr uint8_t kI4k = kInstructionTlb4k;
constexpr uint8_t kD4k = kDataTlb4k;
constexpr uint8_t kILarge = kInstructionTlbLarge;
constexpr uint8_t kDLarge = kDataTlbLarge;

constexpr IntelDescriptor Cache(uint8_t value, CacheLevel level, uint32_t sizeKb, uint32_t ways,
                                uint32_t lineSize, uint32_t linesPerSector = 0) {
  IntelDescriptor row;
  row.value = value;
  row.kind = DescriptorKind::kCache;
  row.cache = level;
  row.size = sizeKb;
  row.ways = ways;
  row.lineSize = lineSize;
  row.linesPerSector = linesPerSector;
  return row;
}

constexpr IntelDescriptor Tlb(uint8_t value, uint8_t targets, uint8_t level, uint32_t entries,
                              uint32_t ways) {
  IntelDescriptor row;
  row.value = value;
  row.kind = DescriptorKind::kTlb;
  row.tlbs = targets;
  row.tlbLevel = level;
  row.size = entries;
  row.ways = ways;
  return row;
}

constexpr IntelDescriptor Other(uint8_t value, DescriptorKind kind) {
  IntelDescriptor row;
  row.value = value;
  row.kind = kind;
  return row;
}

constexpr IntelDescriptor Level2OrXeonMpLevel3(uint8_t value, uint32_t sizeKb, uint32_t ways,
                                               uint32_t lineSize) {
  IntelDescriptor row = Cache(value, CacheLevel::kL2, sizeKb, ways, lineSize);
  row.level3OnFamily15Model6 = true;
  return row;
}

using enum CacheLevel;
using enum DescriptorKind;

constexpr std::array kTable{
    Other(0x00, kNull),                      // Null descriptor
    Tlb(0x01, kI4k, 1, 32, 4),               // ITLB: 4 KB pages, 4-way, 32 entries
    Tlb(0x02, kILarge, 1, 2, kFull),         // ITLB: 4 MB pages, fully assoc., 2 entries
    Tlb(0x03, kD4k, 1, 64, 4),               // DTLB: 4 KB pages, 4-way, 64 entries
    Tlb(0x04, kDLarge, 1, 8, 4),             // DTLB: 4 MB pages, 4-way, 8 entries
    Tlb(0x05, kDLarge, 2, 32, 4),            // DTLB1: 4 MB pages, 4-way, 32 entries
    Cache(0x06, kL1Instruction, 8, 4, 32),   // L1 instruction: 8 KB, 4-way, 32-byte lines
    Cache(0x08, kL1Instruction, 16, 4, 32),  // L1 instruction: 16 KB, 4-way, 32-byte lines
    Cache(0x09, kL1Instruction, 32, 4, 64),  // L1 instruction: 32 KB, 4-way, 64-byte lines
    Cache(0x0A, kL1Data, 8, 2, 32),          // L1 data: 8 KB, 2-way, 32-byte lines
    Tlb(0x0B, kILarge, 1, 4, 4),             // ITLB: 4 MB pages, 4-way, 4 entries
    Cache(0x0C, kL1Data, 16, 4, 32),         // L1 data: 16 KB, 4-way, 32-byte lines
    Cache(0x0D, kL1Data, 16, 4, 64),         // L1 data: 16 KB, 4-way, 64-byte lines
    Cache(0x0E, kL1Data, 24, 6, 64),         // L1 data: 24 KB, 6-way, 64-byte lines
    Cache(0x1D, kL2, 128, 2, 64),            // L2: 128 KB, 2-way, 64-byte lines
    Cache(0x21, kL2, 256, 8, 64),            // L2: 256 KB, 8-way, 64-byte lines
    Cache(0x22, kL3, 512, 4, 64, 2),         // L3: 512 KB, 4-way, 64-byte lines, 2 per sector
    Cache(0x23, kL3, 1024, 8, 64, 2),        // L3: 1 MB, 8-way, 64-byte lines, 2 per sector
    Cache(0x24, kL2, 1024, 16, 64),          // L2: 1 MB, 16-way, 64-byte lines
    Cache(0x25, kL3, 2048, 8, 64, 2),        // L3: 2 MB, 8-way, 64-byte lines, 2 per sector
    Cache(0x29, kL3, 4096, 8, 64, 2),        // L3: 4 MB, 8-way, 64-byte lines, 2 per sector
    Cache(0x2C, kL1Data, 32, 8, 64),         // L1 data: 32 KB, 8-way, 64-byte lines
    Cache(0x30, kL1Instruction, 32, 8, 64),  // L1 instruction: 32 KB, 8-way, 64-byte lines
    // 39H..3EH: sectored L2 caches of early Celerons and Pentium 4s, 64-byte lines, 2 per sector.
    Cache(0x39, kL2, 128, 4, 64, 2),  // L2: 128 KB, 4-way
    Cache(0x3A, kL2, 192, 6, 64, 2),  // L2: 192 KB, 6-way
    Cache(0x3B, kL2, 128, 2, 64, 2),  // L2: 128 KB, 2-way
    Cache(0x3C, kL2, 256, 4, 64, 2),  // L2: 256 KB, 4-way
    Cache(0x3D, kL2, 384, 6, 64, 2),  // L2: 384 KB, 6-way
    Cache(0x3E, kL2, 512, 4, 64, 2),  // L2: 512 KB, 4-way
    Other(0x40, kNoCache),            // No L2, or with a valid L2 no L3
    Cache(0x41, kL2, 128, 4, 32),     // L2: 128 KB, 4-way, 32-byte lines
    Cache(0x42, kL2, 256, 4, 32),     // L2: 256 KB, 4-way, 32-byte lines
    Cache(0x43, kL2, 512, 4, 32),     // L2: 512 KB, 4-way, 32-byte lines
    Cache(0x44, kL2, 1024, 4, 32),    // L2: 1 MB, 4-way, 32-byte lines
    Cache(0x45, kL2, 2048, 4, 32),    // L2: 2 MB, 4-way, 32-byte lines
    Cache(0x46, kL3, 4096, 4, 64),    // L3: 4 MB, 4-way, 64-byte lines
    Cache(0x47, kL3, 8192, 8, 64),    // L3: 8 MB, 8-way, 64-byte lines
    Cache(0x48, kL2, 3072, 12, 64),   // L2: 3 MB, 12-way, 64-byte lines
    // L3 4 MB, 16-way, 64-byte lines on the Xeon MP family 0FH model 06H; L2 otherwise.
    Level2OrXeonMpLevel3(0x49, 4096, 16, 64),
    Cache(0x4A, kL3, 6144, 12, 64),            // L3: 6 MB, 12-way, 64-byte lines
    Cache(0x4B, kL3, 8192, 16, 64),            // L3: 8 MB, 16-way, 64-byte lines
    Cache(0x4C, kL3, 12288, 12, 64),           // L3: 12 MB, 12-way, 64-byte lines
    Cache(0x4D, kL3, 16384, 16, 64),           // L3: 16 MB, 16-way, 64-byte lines
    Cache(0x4E, kL2, 6144, 24, 64),            // L2: 6 MB, 24-way, 64-byte lines
    Tlb(0x4F, kI4k, 1, 32, 0),                 // ITLB: 4 KB pages, 32 entries
    Tlb(0x50, kI4k | kILarge, 1, 64, kFull),   // ITLB: 4 KB and 2/4 MB pages, 64 entries
    Tlb(0x51, kI4k | kILarge, 1, 128, kFull),  // ITLB: 4 KB and 2/4 MB pages, 128 entries
    Tlb(0x52, kI4k | kILarge, 1, 256, kFull),  // ITLB: 4 KB and 2/4 MB pages, 256 entries
    Tlb(0x55, kILarge, 1, 7, kFull),           // ITLB: 2/4 MB pages, fully assoc., 7 entries
    Tlb(0x56, kDLarge, 1, 16, 4),              // DTLB0: 4 MB pages, 4-way, 16 entries
    Tlb(0x57, kD4k, 1, 16, 4),                 // DTLB0: 4 KB pages, 4-way, 16 entries
    Tlb(0x59, kD4k, 1, 16, kFull),             // DTLB0: 4 KB pages, fully assoc., 16 entries
    Tlb(0x5A, kDLarge, 1, 32, 4),              // DTLB0: 2/4 MB pages, 4-way, 32 entries
    Tlb(0x5B, kD4k | kDLarge, 1, 64, kFull),   // DTLB: 4 KB and 4 MB pages, 64 entries
    Tlb(0x5C, kD4k | kDLarge, 1, 128, kFull),  // DTLB: 4 KB and 4 MB pages, 128 entries
    Tlb(0x5D, kD4k | kDLarge, 1, 256, kFull),  // DTLB: 4 KB and 4 MB pages, 256 entries
    Cache(0x60, kL1Data, 16, 8, 64),           // L1 data: 16 KB, 8-way, 64-byte lines
    Tlb(0x61, kI4k, 1, 48, kFull),             // ITLB: 4 KB pages, fully assoc., 48 entries
    // DTLB: 2/4 MB pages, 4-way, 32 entries, and a 1 GB page array of 4 entries.
    Tlb(0x63, kDLarge, 1, 32, 4),
    Tlb(0x64, kD4k, 1, 512, 4),           // DTLB: 4 KB pages, 4-way, 512 entries
    Cache(0x66, kL1Data, 8, 4, 64),       // L1 data: 8 KB, 4-way, 64-byte lines
    Cache(0x67, kL1Data, 16, 4, 64),      // L1 data: 16 KB, 4-way, 64-byte lines
    Cache(0x68, kL1Data, 32, 4, 64),      // L1 data: 32 KB, 4-way, 64-byte lines
    Tlb(0x6A, kD4k, 1, 64, 8),            // uTLB: 4 KB pages, 8-way, 64 entries
    Tlb(0x6B, kD4k, 2, 256, 8),           // DTLB: 4 KB pages, 8-way, 256 entries (behind 6AH)
    Tlb(0x6C, kDLarge, 2, 128, 8),        // DTLB: 2/4 MB pages, 8-way, 128 entries (behind 6AH)
    Tlb(0x6D, 0, 1, 16, kFull),           // DTLB: 1 GB pages, fully assoc., 16 entries
    Other(0x70, kTraceCache),             // Trace cache: 12 K-uop, 8-way
    Other(0x71, kTraceCache),             // Trace cache: 16 K-uop, 8-way
    Other(0x72, kTraceCache),             // Trace cache: 32 K-uop, 8-way
    Other(0x73, kTraceCache),             // Trace cache: 64 K-uop, 8-way
    Tlb(0x76, kILarge, 1, 8, kFull),      // ITLB: 2/4 MB pages, fully assoc., 8 entries
    Cache(0x78, kL2, 1024, 4, 64),        // L2: 1 MB, 4-way, 64-byte lines
    Cache(0x79, kL2, 128, 8, 64, 2),      // L2: 128 KB, 8-way, 64-byte lines, 2 per sector
    Cache(0x7A, kL2, 256, 8, 64, 2),      // L2: 256 KB, 8-way, 64-byte lines, 2 per sector
    Cache(0x7B, kL2, 512, 8, 64, 2),      // L2: 512 KB, 8-way, 64-byte lines, 2 per sector
    Cache(0x7C, kL2, 1024, 8, 64, 2),     // L2: 1 MB, 8-way, 64-byte lines, 2 per sector
    Cache(0x7D, kL2, 2048, 8, 64),        // L2: 2 MB, 8-way, 64-byte lines
    Cache(0x7F, kL2, 512, 2, 64),         // L2: 512 KB, 2-way, 64-byte lines
    Cache(0x80, kL2, 512, 8, 64),         // L2: 512 KB, 8-way, 64-byte lines
    Cache(0x82, kL2, 256, 8, 32),         // L2: 256 KB, 8-way, 32-byte lines
    Cache(0x83, kL2, 512, 8, 32),         // L2: 512 KB, 8-way, 32-byte lines
    Cache(0x84, kL2, 1024, 8, 32),        // L2: 1 MB, 8-way, 32-byte lines
    Cache(0x85, kL2, 2048, 8, 32),        // L2: 2 MB, 8-way, 32-byte lines
    Cache(0x86, kL2, 512, 4, 64),         // L2: 512 KB, 4-way, 64-byte lines
    Cache(0x87, kL2, 1024, 8, 64),        // L2: 1 MB, 8-way, 64-byte lines
    Tlb(0xA0, kD4k, 1, 32, kFull),        // DTLB: 4 KB pages, fully assoc., 32 entries
    Tlb(0xB0, kI4k, 1, 128, 4),           // ITLB: 4 KB pages, 4-way, 128 entries
    Tlb(0xB1, kILarge, 1, 4, 4),          // ITLB: 2 MB pages 4-way 8 entries, or 4 MB 4-way 4
    Tlb(0xB2, kI4k, 1, 64, 4),            // ITLB: 4 KB pages, 4-way, 64 entries
    Tlb(0xB3, kD4k, 1, 128, 4),           // DTLB: 4 KB pages, 4-way, 128 entries
    Tlb(0xB4, kD4k, 2, 256, 4),           // DTLB1: 4 KB pages, 4-way, 256 entries
    Tlb(0xB5, kI4k, 1, 64, 8),            // ITLB: 4 KB pages, 8-way, 64 entries
    Tlb(0xB6, kI4k, 1, 128, 8),           // ITLB: 4 KB pages, 8-way, 128 entries
    Tlb(0xBA, kD4k, 2, 64, 4),            // DTLB1: 4 KB pages, 4-way, 64 entries
    Tlb(0xC0, kD4k | kDLarge, 1, 8, 4),   // DTLB: 4 KB and 4 MB pages, 4-way, 8 entries
    Tlb(0xC1, kI4k | kD4k, 2, 1024, 8),   // Shared L2 TLB: 4 KB/2 MB pages, 8-way, 1024
    Tlb(0xC2, kD4k | kDLarge, 1, 16, 4),  // DTLB: 4 KB/2 MB pages, 4-way, 16 entries
    Tlb(0xC3, kI4k | kD4k, 2, 1536, 6),   // Shared L2 TLB: 4 KB/2 MB, 6-way, 1536 (+1 GB)
    Tlb(0xC4, kDLarge, 1, 32, 4),         // DTLB: 2/4 MB pages, 4-way, 32 entries
    Tlb(0xCA, kI4k | kD4k, 2, 512, 4),    // Shared L2 TLB: 4 KB pages, 4-way, 512 entries
    Cache(0xD0, kL3, 512, 4, 64),         // L3: 512 KB, 4-way, 64-byte lines
    Cache(0xD1, kL3, 1024, 4, 64),        // L3: 1 MB, 4-way, 64-byte lines
    Cache(0xD2, kL3, 2048, 4, 64),        // L3: 2 MB, 4-way, 64-byte lines
    Cache(0xD6, kL3, 1024, 8, 64),        // L3: 1 MB, 8-way, 64-byte lines
    Cache(0xD7, kL3, 2048, 8, 64),        // L3: 2 MB, 8-way, 64-byte lines
    Cache(0xD8, kL3, 4096, 8, 64),        // L3: 4 MB, 8-way, 64-byte lines
    Cache(0xDC, kL3, 1536, 12, 64),       // L3: 1.5 MB, 12-way, 64-byte lines
    Cache(0xDD, kL3, 3072, 12, 64),       // L3: 3 MB, 12-way, 64-byte lines
    Cache(0xDE, kL3, 6144, 12, 64),       // L3: 6 MB, 12-way, 64-byte lines
    Cache(0xE2, kL3, 2048, 16, 64),       // L3: 2 MB, 16-way, 64-byte lines
    Cache(0xE3, kL3, 4096, 16, 64),       // L3: 4 MB, 16-way, 64-byte lines
    Cache(0xE4, kL3, 8192, 16, 64),       // L3: 8 MB, 16-way, 64-byte lines
    Cache(0xEA, kL3, 12288, 24, 64),      // L3: 12 MB, 24-way, 64-byte lines
    Cache(0xEB, kL3, 18432, 24, 64),      // L3: 18 MB, 24-way, 64-byte lines
    Cache(0xEC, kL3, 24576, 24, 64),      // L3: 24 MB, 24-way, 64-byte lines
    Other(0xF0, kPrefetch),               // 64-byte prefetching
    Other(0xF1, kPrefetch),               // 128-byte prefetching
    Other(0xFE, kUseLeaf18),              // No TLB descriptors: use leaf 18H
    Other(0xFF, kUseLeaf4),               // No cache descriptors: use leaf 4
};

// The lookup below needs strictly rising values.
static_assert(std::adjacent_find(kTable.begin(), kTable.end(),
                                 [](const IntelDescriptor& a, const IntelDescriptor& b) {
                                   return a.value >= b.value;
                                 }) == kTable.end());

}  // namespace

std::span<const IntelDescriptor> IntelDescriptorTable() {
  return kTable;
}

const IntelDescriptor* FindIntelDescriptor(uint8_t value) {
  const auto row = std::lower_bound(
      kTable.begin(), kTable.end(), value,
      [](const IntelDescriptor& entry, uint8_t wanted) { return entry.value < wanted; });
  return row != kTable.end() && row->value == value ? &*row : nullptr;
}

}  // namespace pacetta
