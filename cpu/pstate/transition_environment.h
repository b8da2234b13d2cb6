#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "cpu/pstate/pstate_settings.h"
#include "hw/portex_driver.h"

namespace pacetta {

// The settling waits of one transition as counts of the busy-delay loop (one count = one
// pass over 120 no-operations); the caller converts the microseconds of the settings
// with its loop calibration. 0 = no wait.
struct TransitionDelays {
  uint32_t fid = 0;
  uint32_t vid = 0;
};

// A performance state as the transitions take it: FID and VID codes in the processor's
// own encoding.
struct FidVid {
  uint32_t fid = 0;
  uint32_t vid = 0;
};

// What a transition works with besides the record. Transitions act on the processor the
// calling thread runs on: the caller pins it to the record's processor first.
struct TransitionEnvironment {
  CPortexDriver& driver;
  const PStateSettings& settings;
  TransitionDelays delays;
};

// The VID code the performance-state table gives a FID; nullopt when it has no row for
// it.
using VidForFid = std::function<std::optional<uint32_t>(uint32_t fid)>;

}  // namespace pacetta
