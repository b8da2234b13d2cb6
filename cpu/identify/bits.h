#pragma once
#include <cstdint>

namespace pacetta::identify {

// Bits high..low of `value`, shifted down to bit 0.
constexpr uint32_t Bits(uint32_t value, unsigned high, unsigned low) {
  const unsigned width = high - low + 1;
  const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : ((uint32_t{1} << width) - 1);
  return (value >> low) & mask;
}

constexpr bool Bit(uint32_t value, unsigned bit) {
  return ((value >> bit) & 1u) != 0;
}

}  // namespace pacetta::identify
