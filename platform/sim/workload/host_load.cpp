#include "platform/sim/workload/host_load.h"

#include <algorithm>

namespace pacetta::sim {

HostLoad::HostLoad(platform::OsEntryPoints& host, uint64_t intervalNs)
    : host_(host), intervalNs_(intervalNs) {}

LoadSlice HostLoad::At(unsigned processor, uint64_t ns) {
  std::lock_guard lock(mutex_);
  // Processors' timelines lag one another a little: an earlier moment reads nothing new.
  if (!sampled_ || (ns > sampledAtNs_ && ns - sampledAtNs_ >= intervalNs_)) SampleLocked(ns);
  LoadSlice slice = load_[processor % hostCount_];
  slice.untilNs = LoadSlice{}.untilNs;
  return slice;
}

void HostLoad::SampleLocked(uint64_t ns) {
  std::array<platform::ProcessorTimes, kMaxHost> now{};
  if (host_.QueryProcessorTimes(now) != 0) return;
  size_t count = 0;
  for (size_t k = 0; k < kMaxHost; ++k) {
    if (now[k].kernel + now[k].user > 0) count = k + 1;
  }
  if (count == 0) return;
  if (sampled_) {
    for (size_t k = 0; k < count; ++k) {
      // Kernel time includes idle time.
      const int64_t idle = now[k].idle - previous_[k].idle;
      const int64_t kernel = now[k].kernel - previous_[k].kernel;
      const int64_t user = now[k].user - previous_[k].user;
      const int64_t total = kernel + user;
      if (total <= 0 || idle < 0 || idle > total) continue;
      const int64_t busy = total - idle;
      load_[k].busy = static_cast<double>(busy) / static_cast<double>(total);
      load_[k].kernelShare =
          busy > 0 ? std::clamp(static_cast<double>(kernel - idle) / busy, 0.0, 1.0) : 0.0;
    }
  }
  previous_ = now;
  hostCount_ = count;
  sampled_ = true;
  sampledAtNs_ = ns;
}

}  // namespace pacetta::sim
