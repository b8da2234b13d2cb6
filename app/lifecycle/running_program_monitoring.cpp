// The running program as the Monitoring page sees it.
#include <algorithm>
#include <array>

#include "app/lifecycle/running_program.h"

namespace pacetta {

void RunningProgram::FeedMonitoring() {
  // Before the first sampling refresh there is nothing to show yet.
  if (!sampler_ || sampler_->SamplesShown() == 0) return;
  const std::span<const CpuInfo> records = application_.Processors();
  const size_t count =
      std::min({size_t{sampler_->ProcessorCount()}, records.size(), size_t{kMaxProcessors}});
  std::array<CpuSample, kMaxProcessors> samples;
  std::array<MonitorTable<SeriesScale>, kMaxProcessors> scales;
  for (size_t k = 0; k < count; ++k) {
    samples[k] = sampler_->Sample(static_cast<uint32_t>(k));
    // Worked out anew each time: the Profiles page may change the table's ends.
    scales[k] = SeriesScales(records[k], settings_.profiles.Table(), calibration_.busClockMhz);
  }
  monitoring_.Add(sampler_->SamplesShown(), std::span(samples).first(count),
                  std::span(scales).first(count));
}

}  // namespace pacetta
