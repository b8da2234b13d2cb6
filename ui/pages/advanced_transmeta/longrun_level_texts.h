#pragma once
#include <string>
#include <vector>

#include "app/strings/string_table.h"
#include "cpu/advanced/longrun/longrun_table.h"

namespace pacetta::ui {

// A LongRun level's item in the table tree: its own text, then its children's (index,
// frequency, voltage, the three divisors, gate delay).
struct LevelTexts {
  std::string item;
  std::vector<std::string> children;
};
LevelTexts LongRunLevelTexts(const StringTable& strings, const longrun::Level& level);

// The ATM list's entries: "Off", then the reduction of 12.5 % per level up to 6.
std::vector<std::string> AtmLevelTexts(const StringTable& strings);

}  // namespace pacetta::ui
