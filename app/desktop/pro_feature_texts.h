#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "addins/event_records.h"
#include "app/addins/pro_features.h"
#include "app/desktop/profile_os.h"
#include "app/strings/string_table.h"

namespace pacetta {

// What an event's parameter may name: the profiles by index and the OS power schemes.
struct EventParameterNames {
  std::span<const std::string> profiles;
  std::span<const OsSchemeChoice> schemes;
};

// How long an event has held its state: "%ud.%02u:%02u:%02u" from one day on,
// "%u:%02u:%02u" from one hour on, else "%u:%02u".
std::string TimeInStateText(uint32_t milliseconds);

// The Status column: "N/A" before the first evaluation, then "Active (%s)" or
// "Inactive (%s)" with the time in that state. An event the desktop cannot evaluate (no
// idle time where the event needs it) says so instead.
std::string EventStatusText(const StringTable& strings, const EventStatus& status,
                            bool unavailable);

// The Event type column: the type's description with its parameter filled in.
std::string EventTypeText(const StringTable& strings, const addins::EventRecord& event,
                          const EventParameterNames& names);

// The Power source column: "AC power", "Battery" or both.
std::string EventSourcesText(const StringTable& strings, int32_t sources);

std::string ActionTypeText(const StringTable& strings, int32_t type);

// The Event name column of an action: its event's name, or "<Undefined>" without one.
std::string ActionEventText(const StringTable& strings, const addins::ActionRecord& action,
                            const ProFeatures& lists);

// Whether the desktop can evaluate events of `type` (idle-time events need the time since
// the user's last input).
bool EventTypeAvailable(int32_t type, bool idleTimeAvailable);

}  // namespace pacetta
