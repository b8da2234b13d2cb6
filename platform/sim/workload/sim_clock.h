#pragma once
#include <cstdint>

namespace pacetta::sim {

// The one time source of a simulated machine, in nanoseconds. Everything that counts
// (time-stamp and performance counters, the 8254, the operating system's times and its
// high-resolution counter) derives from it.
class SimClock {
 public:
  virtual ~SimClock() = default;
  virtual uint64_t NowNs() = 0;
  // Returns once the clock has reached `ns`: a simulated processor kept busy until then.
  virtual void WaitUntil(uint64_t ns) = 0;
};

// The host's monotonic clock: simulated time is real time.
class HostClock final : public SimClock {
 public:
  uint64_t NowNs() override;
  void WaitUntil(uint64_t ns) override;
};

}  // namespace pacetta::sim
