#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "hw/optional_entry_points.h"
#include "platform/os_entry_points.h"

namespace pacetta {

// The kernel plus user time the idle helper of a processor has consumed so far, in
// 100-ns units; nullopt while that processor has no helper. Called from the monitoring
// and management threads of that processor, so implementations must be thread-safe.
class IdleHelperTimes {
 public:
  virtual ~IdleHelperTimes() = default;
  virtual std::optional<int64_t> ConsumedTime(uint32_t processor) = 0;
};

// One processor's idle, kernel and user times as one reader (management or monitoring)
// took them: a ring of 64 and the running count of entries stored.
struct OsTimesHistory {
  std::array<platform::ProcessorTimes, 64> entries{};
  uint32_t index = 0;
};

// Stores `now` as the history's newest entry and gives the load in percent between it
// and the entry `depth` places back (1..63): (1 - Δidle / (Δkernel + Δuser)) × 100,
// kernel time including idle time. The first entry fills the whole ring, so a young
// history never compares with zero (time since boot). 0 when no time passed; the result
// is kept within 0..100, since idle time that includes a helper's time can run ahead.
double StoreAndComputeOsLoad(OsTimesHistory& history, const platform::ProcessorTimes& now,
                             uint32_t depth);

// Processor `processor`'s times out of a query of all `processorCount` processors, with
// the idle helper's consumed time added to the idle time when `helper` is given. Nullopt
// when the query fails or the processor is not among them.
std::optional<platform::ProcessorTimes> QueryProcessorTimes(const OptionalEntryPoints& entryPoints,
                                                            uint32_t processor,
                                                            uint32_t processorCount,
                                                            IdleHelperTimes* helper);

}  // namespace pacetta
