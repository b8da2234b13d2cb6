#pragma once
#include <optional>

#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// A core's heat as one thermal mass: its temperature approaches ambient + rise x power
// with one time constant, where power is relative to the part's highest state fully
// busy (clock x voltage squared x activity, a halted core keeping a share of it).
struct ThermalParameters {
  double ambientC = 35;
  double riseC = 30;  // above ambient at the highest state, fully busy
  double timeConstantS = 10;
  double idlePowerShare = 0.1;   // a halted core's share of its busy power
  std::optional<double> limitC;  // the part throttles and reports itself hot from here
  double hysteresisC = 2;        // ... until it has cooled this far below the limit
  double highWatts = 0;          // power at the highest state fully busy; 0 = not known
};

// Realistic values for the part: a laptop runs warmer air and a smaller heat sink.
ThermalParameters DefaultThermal(const ProcessorTraits& traits, std::optional<double> limitC);

// Temperature at rest for a relative power.
double SteadyCelsius(const ThermalParameters& thermal, double relativePower);
// Temperature `seconds` after `startC`, heading for `steadyC`.
double CelsiusAfter(const ThermalParameters& thermal, double startC, double steadyC,
                    double seconds);
// Seconds until the temperature, heading from `startC` to `steadyC`, reaches `targetC`;
// none when it never does.
std::optional<double> SecondsUntil(const ThermalParameters& thermal, double startC, double steadyC,
                                   double targetC);

}  // namespace pacetta::sim
