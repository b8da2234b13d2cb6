#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// The "N/A" text (string 10144) shown instead of features on other processors.
inline constexpr uint32_t kNotAvailableStringId = 10144;
inline constexpr const char* kNotAvailableText = "N/A";

struct FeatureLabel {
  std::string text;
  // Whether the feature is supported; empty for the lone "N/A" of a processor whose
  // features the program does not list.
  std::optional<bool> supported;
};

// The power-management features of the processor information page, in display order.
// On Transmeta processors this executes the LongRun leaf on the calling thread's
// processor.
std::vector<FeatureLabel> GetFeatureLabels(const CpuInfo& info, platform::CpuInstructions& cpu);

}  // namespace pacetta
