#include "engine/monitor/sample_means.h"

namespace pacetta {
namespace {

// Mean of the non-negative values, -1 when there is none.
class AvailableMean {
 public:
  void Add(double value) {
    if (value < 0.0) return;
    sum_ += value;
    ++count_;
  }
  double Value() const { return count_ == 0 ? -1.0 : sum_ / count_; }

 private:
  double sum_ = 0.0;
  unsigned count_ = 0;
};

}  // namespace

SampleMeans ComputeMeans(std::span<const CpuSample> samples) {
  AvailableMean cpuLoad, temperature;
  double osLoad = 0.0;
  for (const CpuSample& sample : samples) {
    cpuLoad.Add(sample.cpuLoad);
    temperature.Add(sample.temperature);
    osLoad += sample.osLoad;
  }
  SampleMeans means;
  means.cpuLoad = cpuLoad.Value();
  means.temperature = temperature.Value();
  means.osLoad = samples.empty() ? 0.0 : osLoad / static_cast<double>(samples.size());
  return means;
}

}  // namespace pacetta
