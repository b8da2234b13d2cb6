#pragma once
#include <array>
#include <cstdint>

#include "addins/event_records.h"
#include "platform/registry.h"

namespace pacetta {

inline constexpr const char* kProFeaturesKeyPath = "Software\\Norvane\\Pacetta\\ProFeatures";

// The events and actions lists as the user's settings keep them.
struct StoredProFeatures {
  std::array<addins::EventRecord, addins::kMaxEvents> events{};
  int32_t eventCount = 0;
  std::array<addins::ActionRecord, addins::kMaxActions> actions{};
  int32_t actionCount = 0;
};

// Reads the stored lists: none without the key, without a format version or with one
// before 2.3.0.0; a list longer than its 256 slots is not read. Records from outside are
// made safe for use (see SafeEvent and SafeAction).
StoredProFeatures ReadProFeatures(platform::Registry& registry);
// Writes the format version and both lists; false when the store refused.
bool WriteProFeatures(platform::Registry& registry, const StoredProFeatures& lists);

// A stored event as the engines may take it: fields terminated, flags 0 or 1, the
// engine's state cleared.
addins::EventRecord SafeEvent(const addins::EventRecord& stored);
// A stored action likewise; one on an event outside the list of `eventCount` (or a
// negative index other than "none") loses its event and is disabled, as is one of an
// unknown type.
addins::ActionRecord SafeAction(const addins::ActionRecord& stored, int32_t eventCount);

}  // namespace pacetta
