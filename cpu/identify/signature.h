#pragma once
#include <cstdint>

#include "cpu/identify/bits.h"

namespace pacetta {

// The fields of the processor signature (leaf 1 EAX) as the identification rules use
// them: family is base + extended family, model is extended model * 16 + model.
struct CpuSignature {
  uint32_t raw = 0;

  uint32_t Stepping() const { return identify::Bits(raw, 3, 0); }
  uint32_t BaseModel() const { return identify::Bits(raw, 7, 4); }
  uint32_t BaseFamily() const { return identify::Bits(raw, 11, 8); }
  uint32_t ExtendedModel() const { return identify::Bits(raw, 19, 16); }
  uint32_t ExtendedFamily() const { return identify::Bits(raw, 27, 20); }
  uint32_t Family() const { return BaseFamily() + ExtendedFamily(); }
  uint32_t Model() const { return ExtendedModel() * 16 + BaseModel(); }
};

}  // namespace pacetta
