#include "cpu/sensors/frequency_ratio.h"

#include "cpu/sensors/current_state.h"
#include "cpu/sensors/reading_fields.h"

namespace pacetta {
namespace {

std::optional<double> Ratio(const CpuInfo& cpu, int32_t reference) {
  const auto current = static_cast<int32_t>(sensors::LoadReading(cpu.currentFid));
  const double numerator = MultiplierOf(cpu, current);
  const double denominator = MultiplierOf(cpu, reference);
  if (!(numerator > 0.0) || !(denominator > 0.0)) return std::nullopt;
  return numerator / denominator;
}

}  // namespace

std::optional<double> FrequencyRatio(const CpuInfo& cpu) {
  if (cpu.isAmdPowerNow) return 1.0;
  if (cpu.isIntelSupported) {
    if (cpu.isIntelCore) {
      std::optional<double> ratio = Ratio(cpu, cpu.maxFid);
      if (ratio && sensors::LoadReading(cpu.superLfmActive) != 0) *ratio /= 2.0;
      return ratio;
    }
    if (cpu.isPentium4Prescott) return Ratio(cpu, cpu.startFid);
    return 1.0;
  }
  if (cpu.isTransmeta) return Ratio(cpu, cpu.maxFid);
  return 1.0;
}

}  // namespace pacetta
