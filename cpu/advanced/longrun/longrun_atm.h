#pragma once
#include <cstdint>
#include <optional>

#include "hw/portex_driver.h"

namespace pacetta::longrun {

// Advanced Thermal Management lives in the LongRun northbridge (bus 0, device 0,
// function 0), double word A8h: bit 0 ATM present, bit 4 engaged, bits 3:1 the field f.
inline constexpr uint32_t kAtmRegister = 0xA8;
inline constexpr uint32_t kAtmLevelMax = 6;  // each level takes 12.5 % off the top

// The level the register holds: 0 ("Off") when not engaged or f < 2, else 8 - f.
uint32_t DecodeAtmLevel(uint32_t reg);
// `reg` with level `level` written: bit 4 = (level != 0), f = (8 - level) & 7, every
// other bit kept.
uint32_t EncodeAtmLevel(uint32_t reg, uint32_t level);

struct AtmState {
  uint32_t level = 0;
  bool operator==(const AtmState&) const = default;
};
// The present level; none when the register cannot be read or reports no ATM.
std::optional<AtmState> ReadAtm(CPortexDriver& driver);
// Writes `level` (0..kAtmLevelMax) as a read-modify-write; false, with nothing written,
// for a level out of range or a northbridge without ATM.
bool WriteAtm(CPortexDriver& driver, uint32_t level);

}  // namespace pacetta::longrun
