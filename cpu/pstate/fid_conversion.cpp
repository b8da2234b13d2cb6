#include "cpu/pstate/fid_conversion.h"

#include "cpu/pstate/k7_encoding.h"
#include "cpu/pstate/k8_fid_table.h"

namespace pacetta {

namespace {

enum class FidEncoding { kNone, kK7, kK8, kPentiumM, kMultiplier, kTransmeta, kKernelMhz };

FidEncoding EncodingOf(const CpuInfo& cpu) {
  if (cpu.kernelPolicy >= 0) return FidEncoding::kKernelMhz;
  if (cpu.isK7) return FidEncoding::kK7;
  if (cpu.isK8) return FidEncoding::kK8;
  if (cpu.isPentiumM) return FidEncoding::kPentiumM;
  if (cpu.isPentium4 || cpu.isIntelCore || cpu.isViaC7) return FidEncoding::kMultiplier;
  if (cpu.isTransmeta) return FidEncoding::kTransmeta;
  return FidEncoding::kNone;
}

// Pentium M: the bus ratio itself, offered as 6 and 8..63 (the 6-bit ratio field of
// IA32_PERF_CTL).
constexpr int32_t kPentiumMLowestFid = 6;
constexpr int32_t kPentiumMHighestFid = 63;

int32_t PentiumMIndex(int32_t fid) {
  if (fid > kPentiumMHighestFid) return -1;
  return fid >= 8 ? fid - 7 : 0;
}

int32_t PentiumMFid(int32_t index) {
  if (index == 0) return kPentiumMLowestFid;
  const int32_t fid = index + 7;
  return fid <= kPentiumMHighestFid ? fid : -1;
}

// A kernel policy's codes are MHz, indexed on a 100 MHz grid, the multiplier against the
// 100 MHz reference clock of today's processors.
constexpr int32_t kKernelGridMhz = 100;

// Transmeta codes are MHz; the multiplier is against the 33.3 MHz reference.
constexpr double kTransmetaMultiplierPerCode = 0.03;

}  // namespace

int32_t FidToIndex(const CpuInfo& cpu, int32_t fid) {
  if (fid < 0) return -1;
  switch (EncodingOf(cpu)) {
    case FidEncoding::kK7:
      return k7::FidRank(fid);
    case FidEncoding::kK8:
      return k8::FidIndex(cpu.k8FidTable, fid);
    case FidEncoding::kPentiumM:
      return PentiumMIndex(fid);
    case FidEncoding::kMultiplier:
    case FidEncoding::kTransmeta:
      return fid;
    case FidEncoding::kKernelMhz:
      return fid / kKernelGridMhz;
    case FidEncoding::kNone:
      break;
  }
  return -1;
}

int32_t IndexToFid(const CpuInfo& cpu, int32_t index) {
  if (index < 0) return -1;
  switch (EncodingOf(cpu)) {
    case FidEncoding::kK7:
      return k7::FidOfRank(index);
    case FidEncoding::kK8:
      return k8::FidOfIndex(cpu.k8FidTable, index);
    case FidEncoding::kPentiumM:
      return PentiumMFid(index);
    case FidEncoding::kMultiplier:
    case FidEncoding::kTransmeta:
      return index;
    case FidEncoding::kKernelMhz:
      return index * kKernelGridMhz;
    case FidEncoding::kNone:
      break;
  }
  return -1;
}

double FidIndexToMultiplier(const CpuInfo& cpu, int32_t index) {
  const int32_t fid = IndexToFid(cpu, index);
  if (fid < 0) return 0.0;
  switch (EncodingOf(cpu)) {
    case FidEncoding::kK7:
      return k7::FidMultiplier(fid);
    case FidEncoding::kK8:
      return 4.0 + fid / 2.0;
    case FidEncoding::kPentiumM:
    case FidEncoding::kMultiplier:
      return fid;
    case FidEncoding::kTransmeta:
      return fid * kTransmetaMultiplierPerCode;
    case FidEncoding::kKernelMhz:
      return static_cast<double>(fid) / kKernelGridMhz;
    case FidEncoding::kNone:
      break;
  }
  return 0.0;
}

}  // namespace pacetta
