#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "addins/event_records.h"

namespace pacetta::addins {

// The "unknown" answers of the host's requests.
inline constexpr int64_t kSourceUnknown = 255;
inline constexpr int64_t kLevelUnknown = 255;
inline constexpr int64_t kTemperatureUnknown = 0;

// What one evaluation sees of the system, taken once and shared by every event.
struct EventInputs {
  int64_t nowSeconds = 0;
  bool clockWentBack = false;  // since the evaluation before
  CalendarTime localNow;
  std::vector<std::string> programs;
  int64_t profile = -1;
  int64_t powerSource = kSourceUnknown;
  int64_t batteryLevel = kLevelUnknown;
  int64_t temperature = kTemperatureUnknown;
  int64_t powerEvent = 0;
  std::array<uint8_t, kSchemeIdSize> scheme{};
  std::optional<uint32_t> idleMs;
};

// Local date and time to seconds, as the host's clock converts them.
class LocalSeconds {
 public:
  virtual ~LocalSeconds() = default;
  virtual std::optional<int64_t> Convert(const CalendarTime& local) = 0;
};

// The new state of `event` under `inputs`; updates the calendar types' last difference
// in the record. Types that are not due keep theirs.
bool EventHolds(EventRecord& event, const EventInputs& inputs, LocalSeconds& clock);

}  // namespace pacetta::addins
