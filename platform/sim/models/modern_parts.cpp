#include "platform/sim/models/modern_parts.h"

#include <array>

namespace pacetta::sim {
namespace {

struct Row {
  ModelFamily family;
  const char* brandContains;
  bool efficiencyCore;
  ModernPart part;
};

// From the makers' product pages; the hybrid's time-stamp counter runs at its crystal
// (38.4 MHz) times the leaf 15h ratio 70/2, Zen's at P0.
const std::array kRows = {
    Row{ModelFamily::kAmdZen,
        "Ryzen 7 4800H",
        false,
        {14, 29, 42, 2900.0, 3.5, {29, 17, 14}, "Ryzen 7 4800H"}},
    Row{ModelFamily::kAmdZen,
        "Ryzen 7 8845HS",
        false,
        {16, 38, 51, 3800.0, 3.5, {38, 22, 16}, "Ryzen 7 8845HS"}},
    Row{ModelFamily::kIntelHwp,
        "i7-12700H",
        false,
        {4, 23, 47, 2688.0, 7.0, {}, "Core i7-12700H performance core"}},
    Row{ModelFamily::kIntelHwp,
        "i7-12700H",
        true,
        {4, 17, 35, 2688.0, 3.0, {}, "Core i7-12700H efficiency core"}},
};

}  // namespace

bool IsModernFamily(ModelFamily family) {
  return family == ModelFamily::kAmdZen || family == ModelFamily::kIntelHwp;
}

ModernPart ModernPartFor(const ProcessorTraits& traits) {
  for (const Row& row : kRows) {
    if (row.family == traits.family && row.efficiencyCore == traits.efficiencyCore &&
        traits.brand.find(row.brandContains) != std::string::npos) {
      return row.part;
    }
  }
  if (traits.family == ModelFamily::kAmdZen) {
    return {14, 30, 40, 3000.0, 3.5, {30, 20, 14}, "AMD Zen family rule"};
  }
  if (traits.efficiencyCore) return {4, 18, 34, 2000.0, 3.0, {}, "Intel efficiency core rule"};
  return {8, 20, 40, 2000.0, 7.0, {}, "Intel HWP family rule"};
}

}  // namespace pacetta::sim
