#pragma once
#include <string>

#include "engine/monitor/cpu_sample.h"
#include "engine/monitor/display_texts.h"

namespace pacetta {

// One line of what the latest refresh shows: the display processor's clock,
// multiplier, voltage and load, the mean temperature, and the power source and profile
// in use now. Values that are not available read "N/A". On battery the source is
// followed by `batteryCharge`, the charge and remaining time as the battery's tooltip
// words them (left out when empty).
std::string FormatStatusLine(uint32_t displayProcessor, const DisplayTexts& texts,
                             const CpuSample& display, PowerSource source,
                             const std::string& profileName, const TextLookup& lookup,
                             const std::string& batteryCharge = {});

}  // namespace pacetta
