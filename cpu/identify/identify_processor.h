#pragma once

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/cpu_instructions.h"
#include "platform/processors.h"

namespace pacetta {

// The steps that complete a record once it is classified: reading its current and limit
// performance states, then preparing its counters, load history and temperature reading.
// They belong to the performance-state and sensor code, which supplies them here.
class IdentificationCompletion {
 public:
  virtual ~IdentificationCompletion() = default;
  virtual void ReadPerformanceStates(CpuInfo& info) = 0;
  // Runs with the thread pinned to the record's processor.
  virtual void PrepareProcessor(CpuInfo& info) = 0;
};

// What identification needs from the rest of the program.
struct IdentifyContext {
  platform::Processors& processors;
  platform::CpuInstructions& cpu;
  CPortexDriver& driver;
  // Null until the performance-state and sensor code is present: the record then stays
  // identified and classified only.
  IdentificationCompletion* completion = nullptr;
};

// Identifies the record's processor: pins the calling thread to it, stores its leaves,
// describes its caches and TLBs, sets the family flags (with the Core 2 type), then lets
// the completion read states and prepare the processor. Leaves the thread pinned to that
// processor; start-up unpins after the last record. Cannot fail: missing leaves read as
// zeros and an unknown processor simply gets no family flag.
void IdentifyProcessor(CpuInfo& info, IdentifyContext& context);

}  // namespace pacetta
