#pragma once
#include <cstdint>

namespace pacetta::sim {

// A field of a 64-bit register, bits `high`..`low` inclusive, as the datasheets name them.
struct BitField {
  unsigned high;
  unsigned low;

  constexpr uint64_t Mask() const {
    const unsigned width = high - low + 1;
    return (width >= 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1) << low;
  }
  constexpr uint32_t Get(uint64_t value) const {
    return static_cast<uint32_t>((value & Mask()) >> low);
  }
  // `value` with the field replaced by `field` (cut to the field's width).
  constexpr uint64_t Put(uint64_t value, uint64_t field) const {
    return (value & ~Mask()) | ((field << low) & Mask());
  }
};

constexpr uint64_t Bit(unsigned position) {
  return uint64_t{1} << position;
}

}  // namespace pacetta::sim
