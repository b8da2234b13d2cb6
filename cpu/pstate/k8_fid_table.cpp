#include "cpu/pstate/k8_fid_table.h"

#include <algorithm>

#include "cpu/identify/bits.h"
#include "cpu/identify/leaves.h"

namespace pacetta::k8 {

namespace {

// A table: the step between offered codes and the highest low code (below 8) offered.
struct TableShape {
  int32_t step = 0;
  int32_t highestLowFid = -1;
};

TableShape ShapeOf(uint32_t table) {
  switch (table) {
    case 0:
    case 14:
      return {2, 6};
    case 8:
      return {2, 0};
    case 10:
      return {2, 2};
    case 12:
      return {2, 4};
    case 16:
    case 31:
      return {1, 7};
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
    case 30:
      // 25 offers 0 and 1, each further table one more low code.
      return {1, static_cast<int32_t>(table) - 24};
    default:
      return {};
  }
}

int32_t LowCount(const TableShape& shape) {
  return shape.highestLowFid / shape.step + 1;
}

}  // namespace

bool IsFineTable(uint32_t table) {
  return ShapeOf(table).step == 1;
}

int32_t OfferedCount(uint32_t table) {
  const TableShape shape = ShapeOf(table);
  if (shape.step == 0) return 0;
  return LowCount(shape) + (kHighestFid - kFirstHighFid) / shape.step + 1;
}

int32_t FidIndex(uint32_t table, int32_t fid) {
  const TableShape shape = ShapeOf(table);
  if (shape.step == 0 || fid < 0 || fid > kHighestFid) return -1;
  if (fid < kFirstHighFid) {
    // A low code that is not offered maps to the largest offered one below it; 0 is
    // always offered.
    return std::min(fid, shape.highestLowFid) / shape.step;
  }
  return LowCount(shape) + (fid - kFirstHighFid) / shape.step;
}

int32_t FidOfIndex(uint32_t table, int32_t index) {
  const TableShape shape = ShapeOf(table);
  if (shape.step == 0 || index < 0 || index >= OfferedCount(table)) return -1;
  const int32_t lowCount = LowCount(shape);
  if (index < lowCount) return index * shape.step;
  return kFirstHighFid + (index - lowCount) * shape.step;
}

}  // namespace pacetta::k8

namespace pacetta {

namespace {

constexpr unsigned kSteppedPathBit = 3;
constexpr unsigned kFineStepsBit = 4;
constexpr unsigned kCapability100MhzSteps = 6;  // leaf 0x80000007 EDX

// With the stepped path, only the low FIDs whose gateway set starts at or below the
// highest FID can be reached, which the restricted tables encode.
uint32_t RestrictedTable(int32_t maxFid, bool fineSteps) {
  if (fineSteps) {
    if (maxFid >= 8 && maxFid <= 19) return 25 + static_cast<uint32_t>(maxFid - 8) / 2;
    return 31;
  }
  switch (maxFid) {
    case 8:
      return 8;
    case 10:
    case 12:
      return 10;
    case 14:
    case 16:
      return 12;
    default:
      return 14;
  }
}

}  // namespace

bool TakesHundredMhzSteps(const CpuInfo& cpu) {
  return cpu.isK8 && identify::Bit(ExtendedLeaf(cpu, 0x80000007u).edx, kCapability100MhzSteps);
}

void SelectK8FidTable(CpuInfo& cpu, uint32_t pstMethod) {
  const bool fineSteps = identify::Bit(pstMethod, kFineStepsBit) || TakesHundredMhzSteps(cpu);
  if (!identify::Bit(pstMethod, kSteppedPathBit)) {
    cpu.k8FidTable = fineSteps ? k8::kFineTable : k8::kEvenTable;
    return;
  }
  cpu.k8FidTable = RestrictedTable(cpu.maxFid, fineSteps);
}

}  // namespace pacetta
