#include "platform/sim/pc/sim_local_clock.h"

#include <chrono>

#include "platform/civil_time.h"

namespace pacetta::sim {
namespace {

constexpr int64_t kNsPerMs = 1'000'000;

// Rounds towards the past, also before the base.
int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return value % divisor < 0 ? quotient - 1 : quotient;
}

}  // namespace

SimLocalClock::SimLocalClock(std::shared_ptr<SimClock> clock) : clock_(std::move(clock)) {
  baseMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count();
  baseNs_ = clock_->NowNs();
}

int64_t SimLocalClock::EpochMilliseconds() {
  const uint64_t nowNs = clock_->NowNs();
  std::lock_guard lock(mutex_);
  // Signed: a step set for a moment the clock has not quite reached reads just before.
  const auto elapsedNs = static_cast<int64_t>(nowNs - baseNs_);
  return baseMs_ + FloorDivide(elapsedNs, kNsPerMs);
}

platform::LocalTime SimLocalClock::Now() {
  const int64_t ms = EpochMilliseconds();
  platform::LocalTime reading = platform::UtcReadingOf(FloorDivide(ms, 1000));
  reading.millisecond = static_cast<uint16_t>(ms - FloorDivide(ms, 1000) * 1000);
  return reading;
}

int64_t SimLocalClock::EpochSeconds() {
  return FloorDivide(EpochMilliseconds(), 1000);
}

std::optional<int64_t> SimLocalClock::EpochSecondsOf(const platform::LocalTime& local) {
  return platform::UtcSecondsOf(local);
}

void SimLocalClock::Set(int64_t epochSeconds, uint64_t atNs) {
  std::lock_guard lock(mutex_);
  baseMs_ = epochSeconds * 1000;
  baseNs_ = atNs;
}

}  // namespace pacetta::sim
