#pragma once
#include <atomic>
#include <cstdint>

#include "platform/sim/workload/sim_clock.h"

namespace pacetta::testing {

// A simulated machine's time that moves only when the test moves it, or when a simulated
// processor waits.
class ManualClock final : public sim::SimClock {
 public:
  explicit ManualClock(uint64_t ns) : now_(ns) {}
  uint64_t NowNs() override { return now_.load(); }
  void WaitUntil(uint64_t ns) override {
    uint64_t now = now_.load();
    while (now < ns && !now_.compare_exchange_weak(now, ns)) {
    }
  }
  void Set(uint64_t ns) { now_ = ns; }

 private:
  std::atomic<uint64_t> now_;
};

}  // namespace pacetta::testing
