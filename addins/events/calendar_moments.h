#pragma once
#include <cstdint>
#include <optional>

namespace pacetta::addins {

// How far `now` lies past the moment of a daily event that first falls at `target` and
// then every `period` seconds: within the first minute after `target` the plain
// difference; later the difference to the coming moment, above −period and at most 0 (0
// exactly on a moment). Nullopt when the period is not positive: such an event never
// falls due.
std::optional<int64_t> DailyDifference(int64_t now, int64_t target, int64_t period);

// Whether a calendar event falls due at this evaluation: its moment was crossed since the
// last one. `last` is the difference of the last evaluation (0 after the lists were
// pushed, so a moment already past then does not count), `current` this one's.
// `periodic`: the daily event's differences wrap to −period after each moment, so a
// moment that no evaluation hit to the second shows as the difference falling back;
// `clockWentBack` says the clock was set back, which makes it fall back too.
bool CalendarDue(int64_t last, int64_t current, bool periodic, bool clockWentBack);

}  // namespace pacetta::addins
