#pragma once
#include <atomic>
#include <cstdint>

#include "engine/sync/manual_reset_event.h"

namespace pacetta::management {

// The meeting point of the deciding threads in every control period: no thread leaves
// before all have stored their loads. Two events alternate between periods, so a thread
// that is quick into the next period cannot close the gate on one still leaving this
// one (a single event reset by each leaver can hold a slow thread back for ever).
class PeriodBarrier {
 public:
  explicit PeriodBarrier(unsigned participants) : participants_(participants) {}

  // Blocks until every participant has arrived in this period. `period` is the
  // caller's own count of arrivals; it advances by one.
  void Arrive(uint32_t& period) {
    const unsigned side = period & 1;
    ++period;
    if (arrived_.fetch_add(1) + 1 >= participants_) {
      arrived_.store(0);
      passed_[side ^ 1].Reset();  // nobody waits there: everyone is in this period
      passed_[side].Set();
      return;
    }
    passed_[side].Wait();
  }

  // At shutdown: lets every waiter through for good; the waiters then see the stop.
  void Release() {
    passed_[0].Set();
    passed_[1].Set();
  }

 private:
  const unsigned participants_;
  std::atomic<unsigned> arrived_{0};
  ManualResetEvent passed_[2];
};

}  // namespace pacetta::management
