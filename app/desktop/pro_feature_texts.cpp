#include "app/desktop/pro_feature_texts.h"

#include <algorithm>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"

namespace pacetta {
namespace {

using addins::EventType;

bool InRange(int32_t value, int32_t count) {
  return value >= 0 && value < count;
}

// A profile that is gone (or never was) is named as such, never read from outside the list.
std::string ProfileNameOf(const StringTable& strings, const EventParameterNames& names,
                          int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < names.profiles.size()
             ? names.profiles[static_cast<size_t>(index)]
             : strings.Get(kStrUndefinedEvent);
}

std::string SchemeNameOf(const EventParameterNames& names, const power::SchemeId& id) {
  const auto found = std::find_if(names.schemes.begin(), names.schemes.end(),
                                  [&](const OsSchemeChoice& scheme) { return scheme.id == id; });
  return found != names.schemes.end() ? found->name : std::string();
}

}  // namespace

std::string TimeInStateText(uint32_t milliseconds) {
  const uint32_t seconds = milliseconds / 1000;
  const uint32_t minutes = seconds / 60 % 60;
  if (seconds >= 86400) {
    return FormatText("%ud.%02u:%02u:%02u",
                      {seconds / 86400, seconds / 3600 % 24, minutes, seconds % 60});
  }
  if (seconds >= 3600) return FormatText("%u:%02u:%02u", {seconds / 3600, minutes, seconds % 60});
  return FormatText("%u:%02u", {minutes, seconds % 60});
}

std::string EventStatusText(const StringTable& strings, const EventStatus& status,
                            bool unavailable) {
  if (unavailable) return strings.Get(kStrIdleTimeUnavailable);
  if (!status.evaluated) return strings.Get(kStrNotAvailableShort);
  return FormatText(strings.Get(status.active ? kStrEventActiveFor : kStrEventInactiveFor),
                    {TimeInStateText(status.timeInStateMs)});
}

std::string EventTypeText(const StringTable& strings, const addins::EventRecord& event,
                          const EventParameterNames& names) {
  if (!InRange(event.type, addins::kEventTypeCount)) return strings.Get(kStrUnknown);
  const std::string& format =
      strings.Get(kStrEventDescriptionFirst + static_cast<uint32_t>(event.type));
  const int32_t number = addins::ReadParameter<int32_t>(event.parameters, 0);
  switch (static_cast<EventType>(event.type)) {
    case EventType::kApplicationRunning:
      return FormatText(format, {addins::FieldText(event.parameters)});
    case EventType::kProfileIs:
      return FormatText(format, {ProfileNameOf(strings, names, number)});
    case EventType::kBatteryBelow:
    case EventType::kBatteryAbove:
    case EventType::kTemperatureBelow:
    case EventType::kTemperatureAbove:
    case EventType::kNoInput:
      return FormatText(format, {number});
    case EventType::kPowerSourceIs:
      // The stored value is the system's AC line status: 1 on AC power.
      return FormatText(format,
                        {strings.Get(number == 1 ? kStrEventSourceAc : kStrEventSourceBattery)});
    case EventType::kPowerSchemeIs:
      return FormatText(
          format,
          {SchemeNameOf(names, addins::ReadParameter<power::SchemeId>(event.parameters, 0))});
    default:
      return FormatText(format, {});
  }
}

std::string EventSourcesText(const StringTable& strings, int32_t sources) {
  const bool ac = (sources & addins::kOnAc) != 0;
  const bool battery = (sources & addins::kOnBattery) != 0;
  if (ac && battery) {
    return FormatText("%s, %s",
                      {strings.Get(kStrEventSourceAc), strings.Get(kStrEventSourceBattery)});
  }
  if (ac) return strings.Get(kStrEventSourceAc);
  if (battery) return strings.Get(kStrEventSourceBattery);
  return std::string();
}

std::string ActionTypeText(const StringTable& strings, int32_t type) {
  return InRange(type, addins::kActionTypeCount)
             ? strings.Get(kStrActionTypeFirst + static_cast<uint32_t>(type))
             : strings.Get(kStrUnknown);
}

std::string ActionEventText(const StringTable& strings, const addins::ActionRecord& action,
                            const ProFeatures& lists) {
  if (!InRange(action.eventIndex, lists.EventCount())) return strings.Get(kStrUndefinedEvent);
  return std::string(addins::FieldText(lists.Event(action.eventIndex).name));
}

bool EventTypeAvailable(int32_t type, bool idleTimeAvailable) {
  return type != static_cast<int32_t>(EventType::kNoInput) || idleTimeAvailable;
}

}  // namespace pacetta
