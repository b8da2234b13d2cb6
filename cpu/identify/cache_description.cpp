#include "cpu/identify/cache_description.h"

#include "cpu/identify/amd_cache_layout.h"
#include "cpu/identify/intel_cache_layout.h"
#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"
#include "cpu/identify/via_cache_layout.h"

namespace pacetta {

namespace {

void KeepReported(CacheDescription& target, const CacheDescription& reported) {
  if (reported.sizeKb != 0) target = reported;
}

void KeepReported(TlbDescription& target, const TlbDescription& reported) {
  if (reported.level1Entries != 0) {
    target.level1Entries = reported.level1Entries;
    target.level1Associativity = reported.level1Associativity;
  }
  if (reported.level2Entries != 0) {
    target.level2Entries = reported.level2Entries;
    target.level2Associativity = reported.level2Associativity;
  }
}

// An unknown vendor may describe some caches by descriptors and others in AMD's layout
// (leaving the rest of that layout zero); what the AMD layout leaves out must not erase
// what the descriptors said.
void MergeAmdCacheLayout(CpuInfo& info) {
  CpuInfo reported = info;
  DecodeAmdCacheLayout(reported);
  KeepReported(info.l1Instruction, reported.l1Instruction);
  KeepReported(info.l1Data, reported.l1Data);
  KeepReported(info.l2, reported.l2);
  KeepReported(info.l3, reported.l3);
  KeepReported(info.instructionTlb4k, reported.instructionTlb4k);
  KeepReported(info.dataTlb4k, reported.dataTlb4k);
  KeepReported(info.instructionTlbLarge, reported.instructionTlbLarge);
  KeepReported(info.dataTlbLarge, reported.dataTlbLarge);
}

}  // namespace

void DescribeCaches(CpuInfo& info, platform::CpuInstructions& cpu) {
  info.l1Instruction = info.l1Data = info.l2 = info.l3 = {};
  info.instructionTlb4k = info.dataTlb4k = info.instructionTlbLarge = info.dataTlbLarge = {};

  switch (GetVendorCode(info)) {
    case VendorCode::kAmd:
    case VendorCode::kTransmeta:
      DecodeAmdCacheLayout(info);
      break;
    case VendorCode::kIntel:
      DecodeLeaf2Descriptors(info, cpu);
      break;
    case VendorCode::kVia:
      DecodeViaCacheLayout(info);
      break;
    case VendorCode::kOther:
      if (HighestStandardLeaf(info) >= 2) DecodeLeaf2Descriptors(info, cpu);
      if (HighestExtendedLeaf(info) >= 0x80000006u) MergeAmdCacheLayout(info);
      break;
  }
}

}  // namespace pacetta
