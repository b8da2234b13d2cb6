#pragma once
#include <cstdint>
#include <string_view>

#include "addins/event_records.h"
#include "platform/civil_time.h"

namespace pacetta::testing {

inline addins::EventRecord MakeEvent(addins::EventType type, int32_t value = 0,
                                     int32_t sources = addins::kOnAc | addins::kOnBattery) {
  addins::EventRecord event = addins::BlankEvent();
  event.enabled = 1;
  event.type = static_cast<int32_t>(type);
  event.sources = sources;
  addins::WriteParameter(event.parameters, 0, value);
  return event;
}

// A calendar event starting at `start` (UTC seconds) with the daily period or weekly mask.
inline addins::EventRecord MakeCalendarEvent(addins::EventType type, int64_t start,
                                             int32_t repeatOrDays = 0) {
  addins::EventRecord event = MakeEvent(type);
  const platform::LocalTime reading = platform::UtcReadingOf(start);
  const addins::CalendarTime time{reading.year,   reading.month,  0, reading.day, reading.hour,
                                  reading.minute, reading.second, 0};
  addins::WriteParameter(event.parameters, addins::kStartTimeAt, time);
  addins::WriteParameter(event.parameters, addins::kRepeatOrDaysAt, repeatOrDays);
  return event;
}

inline addins::ActionRecord MakeAction(addins::ActionType type, int32_t eventIndex,
                                       int32_t value = -1, bool restore = false) {
  addins::ActionRecord action = addins::BlankAction(type);
  action.enabled = 1;
  action.eventIndex = eventIndex;
  if (type == addins::ActionType::kChangeProfile) {
    addins::WriteParameter(action.parameters, addins::kProfileIndexAt, value);
    addins::WriteParameter<int32_t>(action.parameters, addins::kRestoreProfileAt, restore ? 1 : 0);
  }
  return action;
}

}  // namespace pacetta::testing
