#pragma once
#include <cstdint>
#include <functional>

#include "cpu/cpu_info.h"
#include "cpu/pstate/pstate_settings.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/management/decision.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta::management {

// What applying a position needs besides the half and the table.
struct ApplyContext {
  SensorHardware& hardware;
  const PStateSettings& settings;
  double busClockMhz = 0.0;
  double cyclesPerPass = 0.0;
  // The last measured clock of the processor, in MHz, for a FID without a multiplier.
  double lastClockMhz = 0.0;
  // Processor 0 is a VIA C7: every processor takes the performance-control write.
  bool viaSystem = false;
};

struct ApplyResult {
  bool changed = false;  // a transition or throttle write was issued
  bool failed = false;   // one of them reported failure
};

// Moves the calling thread's processor (pinned to `cpu`'s) to the state and throttle
// level at `positions` of `half`, by the family's transition. The current FID and VID
// are read afresh first; nothing is written when the processor already runs the target.
// A position outside its list, or a row the table does not hold, changes nothing.
ApplyResult ApplyPositions(CpuInfo& cpu, const ProfileHalf& half, const PStateTable& table,
                           ListPositions positions, const ApplyContext& context);

}  // namespace pacetta::management
