#pragma once
#include <cstdint>

#include "tools/portex64/hardware_files.h"

namespace pacetta::portex {

// The processor control register (ACPI base + 10h) of an Intel ICH LPC bridge at bus 0,
// device 1Fh, function 0, or 0 when there is no such hub or it has no ACPI base.
uint32_t FindProcessorControlPort(HardwareFiles& hardware);

}  // namespace pacetta::portex
