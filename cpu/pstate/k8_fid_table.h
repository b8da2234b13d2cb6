#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta::k8 {

// AMD K8 FID codes 0..42 select multipliers 4x..25x in half steps (BKDG for AMD NPT
// Family 0Fh, FIDVID_CTL). A processor offers either the even codes (200 MHz steps) or,
// with 100 MHz steps, every code; which low codes (below 8) it offers depends on its
// highest FID, since each low code is reachable only from its gateway set.
inline constexpr int32_t kHighestFid = 42;
inline constexpr int32_t kFirstHighFid = 8;

// The table selections SelectK8FidTable produces.
inline constexpr uint32_t kEvenTable = 0;
inline constexpr uint32_t kFineTable = 16;

// True for the tables that offer odd codes (16 and 25..31).
bool IsFineTable(uint32_t table);

// Number of FIDs `table` offers; 0 for a value that is no table.
int32_t OfferedCount(uint32_t table);
// The FID index of a code: the rank of the largest offered code at or below it; -1 for
// a code outside 0..42 or an unknown table.
int32_t FidIndex(uint32_t table, int32_t fid);
// The code of an index; -1 outside the offered range.
int32_t FidOfIndex(uint32_t table, int32_t index);

}  // namespace pacetta::k8

namespace pacetta {

// Sets cpu.k8FidTable from bits 3 (stepped path) and 4 (100 MHz steps) of the low byte
// of "AMDK8.PSTMethod", the processor's 100 MHz step capability (leaf 0x80000007 EDX
// bit 6, K8 only) and its highest FID.
void SelectK8FidTable(CpuInfo& cpu, uint32_t pstMethod);

// A K8 that reports 100 MHz multiplier steps (leaf 0x80000007 EDX bit 6).
bool TakesHundredMhzSteps(const CpuInfo& cpu);

}  // namespace pacetta
