#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/processors.h"

namespace pacetta {

// The range a Transmeta processor's LongRun interface reports, in its own codes.
struct LongRunRange {
  int32_t maxFid = 0;
  int32_t maxVid = 0;
  int32_t minFid = 0;
  int32_t minVid = 0;
};
// Asks the LongRun interface of the processor the calling thread runs on; nullopt when
// it cannot answer.
using LongRunRangeSource = std::function<std::optional<LongRunRange>(const CpuInfo&)>;

// What reading the limits needs: the driver, the processors to pin to, and the LongRun
// interface (empty where there is none: Transmeta limits then stay as they are).
struct PStateHardware {
  CPortexDriver& driver;
  platform::Processors& processors;
  LongRunRangeSource longRunRange;
};

// Fills the record's start, lowest and highest FID and VID from its registers, with
// "UnlockFid" and "UnlockVid" (from the record's switches) widening them. Pins the
// calling thread to the record's processor and leaves it there. A failed register read
// gives all ones, so the limits take the masked field values. Families without
// performance-state control keep their fields as they are.
void ReadPStateLimits(CpuInfo& cpu, PStateHardware& hardware);

}  // namespace pacetta
