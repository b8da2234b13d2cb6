#include <algorithm>
#include <cstring>
#include <string_view>

#include "addins/events/calendar_moments.h"
#include "addins/events/event_inputs.h"
#include "addins/host_messages.h"

namespace pacetta::addins {

namespace {

constexpr uint16_t kOldestYear = 1900;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

// The start moment of a calendar event; a year before 1900 stands for the beginning of
// time, as the stored form allows.
std::optional<int64_t> StartMoment(const EventRecord& event, LocalSeconds& clock) {
  const auto start = ReadParameter<CalendarTime>(event.parameters, kStartTimeAt);
  if (start.year < kOldestYear) return 0;
  return clock.Convert(start);
}

bool CalendarHolds(EventRecord& event, const EventInputs& inputs, LocalSeconds& clock) {
  const auto type = static_cast<EventType>(event.type);
  const int64_t last = ReadParameter<int64_t>(event.parameters, kLastDifferenceAt);
  const int32_t repeatOrDays = ReadParameter<int32_t>(event.parameters, kRepeatOrDaysAt);
  std::optional<int64_t> difference;
  if (type == EventType::kWeekly) {
    if ((repeatOrDays & (1 << (inputs.localNow.dayOfWeek % 7))) == 0) return false;
    CalendarTime today = inputs.localNow;
    const auto start = ReadParameter<CalendarTime>(event.parameters, kStartTimeAt);
    today.hour = start.hour;
    today.minute = start.minute;
    today.second = start.second;
    today.milliseconds = 0;
    if (const auto target = clock.Convert(today)) difference = inputs.nowSeconds - *target;
  } else if (const auto target = StartMoment(event, clock)) {
    difference = type == EventType::kDaily
                     ? DailyDifference(inputs.nowSeconds, *target, repeatOrDays)
                     : std::optional<int64_t>(inputs.nowSeconds - *target);
  }
  // No moment to reach (no valid date, no positive period): never due, nothing kept.
  if (!difference) return false;
  const bool due = CalendarDue(last, *difference, type == EventType::kDaily, inputs.clockWentBack);
  WriteParameter<int64_t>(event.parameters, kLastDifferenceAt, *difference);
  return due;
}

}  // namespace

bool EventHolds(EventRecord& event, const EventInputs& inputs, LocalSeconds& clock) {
  const int32_t value = ReadParameter<int32_t>(event.parameters, 0);
  switch (static_cast<EventType>(event.type)) {
    case EventType::kOneTime:
    case EventType::kDaily:
    case EventType::kWeekly:
      return CalendarHolds(event, inputs, clock);
    case EventType::kApplicationRunning: {
      const std::string_view wanted = FieldText(event.parameters);
      if (wanted.empty()) return false;
      return std::any_of(
          inputs.programs.begin(), inputs.programs.end(),
          [wanted](const std::string& name) { return SameNameIgnoringCase(name, wanted); });
    }
    case EventType::kProfileIs:
      return inputs.profile == value;
    case EventType::kBatteryBelow:
      return inputs.batteryLevel != kLevelUnknown && inputs.batteryLevel < value;
    case EventType::kBatteryAbove:
      return inputs.batteryLevel != kLevelUnknown && inputs.batteryLevel > value;
    case EventType::kTemperatureBelow:
      return inputs.temperature != kTemperatureUnknown && inputs.temperature < value;
    case EventType::kTemperatureAbove:
      return inputs.temperature != kTemperatureUnknown && inputs.temperature > value;
    case EventType::kNoInput:
      return inputs.idleMs && static_cast<int64_t>(*inputs.idleMs) > int64_t{value} * 1000;
    case EventType::kSuspending:
      return inputs.powerEvent == kPowerEventSuspending;
    case EventType::kResumed:
      return inputs.powerEvent == kPowerEventResumed;
    case EventType::kPowerSourceIs:
      return inputs.powerSource == value;
    case EventType::kPowerSchemeIs:
      return std::memcmp(inputs.scheme.data(), event.parameters.data(), kSchemeIdSize) == 0;
  }
  return false;
}

}  // namespace pacetta::addins
