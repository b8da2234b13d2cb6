#include "hw/service_start_wait.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace pacetta {

namespace {

constexpr uint32_t kMinPollMs = 1000;
constexpr uint32_t kMaxPollMs = 10000;

}  // namespace

void WaitWhileStartPending(platform::Service& service, platform::System& system,
                           platform::ServiceStatus& status) {
  // The reference point is taken once and moves only when the service reports progress;
  // taking it afresh on every pass would never time out when the hint exceeds one poll.
  uint32_t progressTick = system.TickCount();
  uint32_t lastCheckPoint = status.checkPoint;
  while (status.state == platform::ServiceState::kStartPending) {
    const uint32_t pollMs = std::clamp(status.waitHintMs / 10, kMinPollMs, kMaxPollMs);
    system.Sleep(std::chrono::milliseconds(pollMs));
    if (!service.QueryStatus(status)) return;
    if (status.checkPoint > lastCheckPoint) {
      progressTick = system.TickCount();
      lastCheckPoint = status.checkPoint;
    } else if (system.TickCount() - progressTick > status.waitHintMs) {
      // Tick counts wrap at 32 bits; the unsigned difference stays right across a wrap.
      return;
    }
  }
}

}  // namespace pacetta
