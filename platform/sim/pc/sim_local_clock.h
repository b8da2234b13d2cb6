#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/local_time.h"
#include "platform/sim/workload/sim_clock.h"

namespace pacetta::sim {

// The simulated PC's wall clock. Its zone is UTC, without daylight saving, so a reading
// means the same moment on every host. It starts at the host's time and runs with the
// machine's clock; a scenario may set it, after which it runs on from there.
class SimLocalClock final : public platform::LocalClock {
 public:
  explicit SimLocalClock(std::shared_ptr<SimClock> clock);

  platform::LocalTime Now() override;
  int64_t EpochSeconds() override;
  std::optional<int64_t> EpochSecondsOf(const platform::LocalTime& local) override;

  // The clock reads `epochSeconds` at the machine's moment `atNs` and runs on from there.
  void Set(int64_t epochSeconds, uint64_t atNs);

 private:
  int64_t EpochMilliseconds();

  std::shared_ptr<SimClock> clock_;
  std::mutex mutex_;
  int64_t baseMs_ = 0;   // the reading at baseNs_, in milliseconds since 1970
  uint64_t baseNs_ = 0;  // on the machine's clock
};

}  // namespace pacetta::sim
