#pragma once
#include <cstdint>
#include <vector>

#include "hw/portex_driver.h"

namespace pacetta {

// The system firmware's area of physical memory, F0000h..FFFFFh (64 KiB), copied out
// through the driver's physical-memory map and released at once. Empty when the range
// cannot be mapped.
std::vector<uint8_t> CopyFirmwareArea(CPortexDriver& driver);

}  // namespace pacetta
