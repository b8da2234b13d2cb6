#pragma once
#include <array>
#include <cstdint>
#include <mutex>

#include "platform/os_entry_points.h"
#include "platform/sim/workload/load_source.h"

namespace pacetta::sim {

// The host's own per-processor load, read from its processor times: simulated processor
// k does what host processor k (modulo the host's count) did over the last interval. The
// times are read again once `intervalNs` has passed; until then, and when a read fails
// or shows no time passing, the last load holds.
class HostLoad final : public LoadSource {
 public:
  static constexpr uint64_t kDefaultIntervalNs = 250'000'000;

  explicit HostLoad(platform::OsEntryPoints& host, uint64_t intervalNs = kDefaultIntervalNs);
  LoadSlice At(unsigned processor, uint64_t ns) override;

 private:
  static constexpr size_t kMaxHost = 64;
  void SampleLocked(uint64_t ns);

  platform::OsEntryPoints& host_;
  const uint64_t intervalNs_;
  std::mutex mutex_;
  bool sampled_ = false;
  uint64_t sampledAtNs_ = 0;
  size_t hostCount_ = 1;
  std::array<platform::ProcessorTimes, kMaxHost> previous_{};
  std::array<LoadSlice, kMaxHost> load_{};
};

}  // namespace pacetta::sim
