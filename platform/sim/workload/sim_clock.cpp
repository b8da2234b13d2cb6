#include "platform/sim/workload/sim_clock.h"

#include <chrono>
#include <thread>

namespace pacetta::sim {

uint64_t HostClock::NowNs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void HostClock::WaitUntil(uint64_t ns) {
  // The simulated processor is busy; the host's need not be.
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::nanoseconds(ns))));
}

}  // namespace pacetta::sim
