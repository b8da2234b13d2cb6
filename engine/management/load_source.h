#pragma once
#include <cstdint>

namespace pacetta::management {

// Where the management threads get their loads: each measures its own processor once per
// control period, then all read the stored loads of every processor.
class LoadSource {
 public:
  virtual ~LoadSource() = default;
  // On processor k's management thread, pinned there: measures the period's load and
  // stores it.
  virtual void Measure(unsigned k) = 0;
  // The stored load of processor k, 0..100.
  virtual int32_t Load(unsigned k) const = 0;
};

// "LoadAverage" as history entries: round(LoadAverage / ControlInterval), within 1..63.
uint32_t LoadDepth(int32_t loadAverageMs, int32_t controlIntervalMs);

}  // namespace pacetta::management
