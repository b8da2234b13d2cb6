#pragma once
#include <cstdint>
#include <span>

#include "platform/sim/models/power_on_data.h"

namespace pacetta::sim {

// One processor whose performance-state data were published: matched by family, a piece
// of its brand string and its signature under a mask.
struct PublishedPart {
  ModelFamily family = ModelFamily::kNone;
  const char* brandContains = "";
  uint32_t signatureMask = 0;
  uint32_t signature = 0;
  OperatingPoint high;
  OperatingPoint low;
  std::optional<OperatingPoint> superLfm = std::nullopt;
  std::optional<OperatingPoint> ida = std::nullopt;
  uint32_t busCode = 0;
  bool junction85 = false;
  const char* name = "";
  double k7BusMhz = 0;  // AMD K7: the front-side bus the part was sold for
};

std::span<const PublishedPart> PublishedParts();

}  // namespace pacetta::sim
