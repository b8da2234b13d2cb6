#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"

namespace pacetta {

// The front-side bus frequency register of Core and Core 2 processors.
inline constexpr uint32_t kMsrFsbFrequency = 0xCD;

// Core 2 type from a front-side bus code (register 0xCD bits 2..0): codes 1, 3 and 5
// (133, 167 and 100 MHz) are the mobile parts' buses and give type 1, any other code 0.
int32_t Core2TypeFromBusCode(uint32_t busCode);

// Replaces an "IntelCore2.CpuType" switch of -1 (detect) on a Core 2 with the type read
// from register 0xCD of the processor the calling thread runs on. A failed read gives
// all ones, bus code 7, and so type 0. Any other processor or switch value is left alone
// and no register is read.
void DetectCore2Type(CpuInfo& info, CPortexDriver& driver);

}  // namespace pacetta
