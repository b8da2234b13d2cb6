#include "app/desktop/monitor_history.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pacetta {
namespace {

constexpr float kGap = std::numeric_limits<float>::quiet_NaN();

// A value beyond what a float holds is kept at its largest rather than converted wildly.
float Stored(double value) {
  if (std::isnan(value)) return kGap;
  constexpr double kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(value, -kLargest, kLargest));
}

}  // namespace

bool MonitorHistory::Add(uint64_t serial, std::span<const CpuSample> samples,
                         std::span<const MonitorTable<SeriesScale>> scales) {
  if (started_ && serial == serial_) return false;
  if (!started_) {
    processors_.resize(samples.size());
    firstClocks_.assign(samples.size(), 0.0);
    started_ = true;
  }
  serial_ = serial;
  const size_t count = std::min(samples.size(), processors_.size());
  for (size_t k = 0; k < count; ++k) {
    Processor& processor = processors_[k];
    const CpuSample& sample = samples[k];
    if (firstClocks_[k] <= 0.0 && sample.clock > 0.0) firstClocks_[k] = sample.clock;
    if (k < scales.size()) processor.scales = scales[k];
    // Without a highest multiplier or a bus clock, the clock first measured is the top.
    for (SeriesScale& clock : processor.scales[kMonitorClock]) {
      if (!(clock.max > clock.min)) clock = {0.0, firstClocks_[k]};
    }
    const MonitorTable<double> values = SeriesValues(sample);
    for (int group = 0; group < kMonitorGroupCount; ++group) {
      for (int series = 0; series < MonitorSeriesIn(group); ++series) {
        // A value without a scale has no place in the graph (today's processors report
        // a voltage, but no VID range): a gap, not a line along the bottom.
        const bool placeable = processor.scales[group][series].max > 0.0;
        processor.rings[group][series].Push(placeable ? Stored(values[group][series]) : kGap);
      }
    }
    processor.latest = sample;
  }
  ++taken_;
  return true;
}

}  // namespace pacetta
