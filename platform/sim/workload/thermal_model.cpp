#include "platform/sim/workload/thermal_model.h"

#include <cmath>

#include "platform/sim/models/modern_parts.h"

namespace pacetta::sim {

ThermalParameters DefaultThermal(const ProcessorTraits& traits, std::optional<double> limitC) {
  ThermalParameters thermal;
  if (traits.mobile) {
    thermal.ambientC = 40;
    thermal.riseC = 35;
  }
  thermal.limitC = limitC;
  if (IsModernFamily(traits.family)) thermal.highWatts = ModernPartFor(traits).wattsPerThread;
  return thermal;
}

double SteadyCelsius(const ThermalParameters& thermal, double relativePower) {
  return thermal.ambientC + thermal.riseC * relativePower;
}

double CelsiusAfter(const ThermalParameters& thermal, double startC, double steadyC,
                    double seconds) {
  if (thermal.timeConstantS <= 0) return steadyC;
  return steadyC + (startC - steadyC) * std::exp(-seconds / thermal.timeConstantS);
}

std::optional<double> SecondsUntil(const ThermalParameters& thermal, double startC, double steadyC,
                                   double targetC) {
  if (startC == targetC) return 0.0;
  // The curve moves monotonically from start towards steady and never reaches it.
  const bool rising = steadyC > startC;
  if (rising ? (targetC < startC || targetC >= steadyC) : (targetC > startC || targetC <= steadyC))
    return std::nullopt;
  if (thermal.timeConstantS <= 0) return 0.0;
  return thermal.timeConstantS * std::log((startC - steadyC) / (targetC - steadyC));
}

}  // namespace pacetta::sim
