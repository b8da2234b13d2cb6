#pragma once
#include "engine/management/load_source.h"
#include "engine/monitor/sampler.h"

namespace pacetta::management {

// The management threads' loads as the monitoring sampler measures them: the busy-cycle
// or operating-system load of "CpuOsLoadSelect" over the load depth, one per period.
class SamplerLoadSource final : public LoadSource {
 public:
  explicit SamplerLoadSource(Sampler& sampler) : sampler_(sampler) {}
  void Measure(unsigned k) override { sampler_.MeasureManagementLoad(k); }
  int32_t Load(unsigned k) const override { return sampler_.ManagementLoad(k); }

 private:
  Sampler& sampler_;
};

}  // namespace pacetta::management
