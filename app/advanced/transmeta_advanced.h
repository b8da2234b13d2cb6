#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/advanced/advanced_settings.h"
#include "cpu/advanced/longrun/longrun_table.h"

namespace pacetta {

// One power source's LongRun values: a column of the page.
struct LongRunColumn {
  int32_t minBound = 0;  // percent
  int32_t maxBound = 100;
  bool performance = true;
  int32_t atmLevel = 0;  // 0 off, 1..6: 12.5 % steps off the top

  bool operator==(const LongRunColumn&) const = default;
};

struct LongRunValues {
  LongRunColumn ac;
  LongRunColumn battery;

  bool operator==(const LongRunValues&) const = default;
};

// Both columns with each lower bound above its upper lowered to the upper: the part
// refuses such bounds.
inline LongRunValues OrderedBounds(LongRunValues values) {
  for (LongRunColumn* column : {&values.ac, &values.battery}) {
    column->minBound = std::min(column->minBound, column->maxBound);
  }
  return values;
}

// What the Transmeta page's enabling rules depend on.
struct TransmetaPageFacts {
  bool atmPresent = false;  // the ATM lists are enabled
};

// Transmeta LongRun: the bounds and mode of every processor and the northbridge's
// Advanced Thermal Management, with separate values for AC power and battery; only the
// present power source's column is ever written.
class TransmetaAdvanced : public AdvancedSettings {
 public:
  virtual TransmetaPageFacts Facts() = 0;
  // True while the machine runs on its batteries: the battery column is the live one.
  virtual bool OnBattery() = 0;
  // The stored values (page creation with "RememberAdvanced").
  virtual LongRunValues StoredValues() const = 0;
  // Processor 0's bounds and mode and the ATM level as they are now; none when the
  // LongRun registers cannot be read.
  virtual std::optional<LongRunColumn> ReadHardware() = 0;
  // Processor 0's LongRun levels, highest first.
  virtual std::vector<longrun::Level> ReadTable() = 0;
  virtual bool RememberAdvanced() const = 0;
  // The page's "Apply": a lower bound above its upper is lowered to it, the present
  // source's column is written and both become the applied (and stored) values.
  virtual void Apply(const LongRunValues& values, bool rememberAdvanced) = 0;
};

}  // namespace pacetta
