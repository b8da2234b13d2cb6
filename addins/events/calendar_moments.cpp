#include "addins/events/calendar_moments.h"

namespace pacetta::addins {

namespace {
// The first minute after a daily event's start counts as its first moment, so that an
// evaluation a few seconds late still catches it.
constexpr int64_t kFirstMinute = 60;
}  // namespace

std::optional<int64_t> DailyDifference(int64_t now, int64_t target, int64_t period) {
  if (period <= 0) return std::nullopt;
  int64_t difference = now - target;
  if (difference >= kFirstMinute) {
    const int64_t periods = (difference + period - 1) / period;
    difference -= periods * period;
  }
  return difference;
}

bool CalendarDue(int64_t last, int64_t current, bool periodic, bool clockWentBack) {
  if (last >= 0) return false;
  if (current >= 0) return true;
  return periodic && !clockWentBack && current < last;
}

}  // namespace pacetta::addins
