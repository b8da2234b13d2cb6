#include "cpu/advanced/k8/k8_scheme.h"

#include "cpu/pstate/k8_fid_table.h"

namespace pacetta::k8 {
namespace {

constexpr uint32_t kOfficialBit = 1u << 3;
constexpr uint32_t kHalfFidBit = 1u << 4;

}  // namespace

uint32_t ProcessorScheme(uint32_t code, const CpuInfo& cpu) {
  // The table selection at start is the one place that turns a code into a processor's
  // value; a copy keeps the record as it is.
  CpuInfo copy = cpu;
  SelectK8FidTable(copy, code);
  return copy.k8FidTable;
}

uint32_t SchemeCode(Scheme scheme, const CpuInfo& cpu) {
  switch (scheme) {
    case Scheme::kOfficialWhole:
      return ProcessorScheme(kOfficialBit, cpu);
    case Scheme::kOfficialHalf:
      return ProcessorScheme(kOfficialBit | kHalfFidBit, cpu);
    case Scheme::kDirectWhole:
      return ProcessorScheme(0, cpu);
    case Scheme::kDirectHalf:
      break;
  }
  return kHalfFidBit;
}

Scheme SchemeOfProcessorValue(uint32_t value) {
  const bool half = (value & kHalfFidBit) != 0;
  if ((value & kOfficialBit) == 0) return half ? Scheme::kDirectHalf : Scheme::kDirectWhole;
  return half ? Scheme::kOfficialHalf : Scheme::kOfficialWhole;
}

uint32_t CodeToStore(Scheme scheme, uint32_t storedCode, const CpuInfo& cpu) {
  const uint32_t code = SchemeCode(scheme, cpu);
  return ProcessorScheme(code, cpu) == ProcessorScheme(storedCode, cpu) ? storedCode : code;
}

}  // namespace pacetta::k8
