#pragma once
#include <cstdint>
#include <string>

#include "platform/sim/machine.h"

namespace pacetta::sim {

inline constexpr uint32_t kExtendedLeafBase = 0x80000000;
inline constexpr uint32_t kTransmetaLeafBase = 0x80860000;

// The answer the dump holds for (leaf, subleaf), zeros when it holds none.
platform::CpuidResult LeafOf(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf = 0);
bool HasLeaf(const CpuidLeaves& leaves, uint32_t leaf, uint32_t subleaf = 0);

// The 12-character vendor string of leaf 0 (EBX, EDX, ECX).
std::string VendorOf(const CpuidLeaves& leaves);
inline constexpr const char* kVendorAmd = "AuthenticAMD";
inline constexpr const char* kVendorIntel = "GenuineIntel";
inline constexpr const char* kVendorTransmeta = "GenuineTMx86";
inline constexpr const char* kVendorCentaur = "CentaurHauls";

uint32_t MaxStandardLeaf(const CpuidLeaves& leaves);
// 0 when leaf 0x80000000 does not report extended leaves (EAX bit 31 clear).
uint32_t MaxExtendedLeaf(const CpuidLeaves& leaves);

uint32_t SignatureOf(const CpuidLeaves& leaves);
// Base family + extended family, and extended model * 16 + model (leaf 1 EAX).
uint32_t FamilyOf(const CpuidLeaves& leaves);
uint32_t FullModelOf(const CpuidLeaves& leaves);

// Leaves 0x80000002..0x80000004 as text without padding; empty when absent.
std::string BrandStringOf(const CpuidLeaves& leaves);

// Packs text (cut or NUL-padded to 16 bytes per leaf) into EAX, EBX, ECX, EDX of
// `leafCount` consecutive leaves starting at `firstLeaf`.
void SetLeafText(CpuidLeaves& leaves, uint32_t firstLeaf, int leafCount, std::string_view text);

}  // namespace pacetta::sim
