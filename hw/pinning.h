#pragma once
#include <cstdint>

#include "platform/processors.h"

namespace pacetta {

// Pins the calling thread to processor k mod 32 and yields, so the next instruction
// runs there.
void PinToProcessor(platform::Processors& processors, uint32_t k);
// Returns the calling thread to every processor of the process.
void UnpinThread(platform::Processors& processors);

}  // namespace pacetta
