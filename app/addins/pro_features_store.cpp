#include "app/addins/pro_features_store.h"

#include <bit>
#include <cstring>
#include <optional>
#include <vector>

#include "app/addins/pro_features.h"

namespace pacetta {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the records are stored in the machine's own byte order");

constexpr const char* kVersionValue = "ModuleVersion";
constexpr const char* kEventsValue = "EventsData";
constexpr const char* kActionsValue = "ActionsData";

// The whole records of a stored list, or none when it does not fit the slots.
template <typename Record, size_t N>
int32_t ReadList(platform::RegistryKey& key, const char* name, std::array<Record, N>& slots) {
  const std::optional<std::vector<uint8_t>> data = key.ReadBinary(name);
  if (!data || data->size() > sizeof(Record) * N) return 0;
  const size_t count = data->size() / sizeof(Record);
  // An empty list may come without any storage behind it.
  if (count != 0) std::memcpy(slots.data(), data->data(), count * sizeof(Record));
  return static_cast<int32_t>(count);
}

template <typename Record, size_t N>
std::vector<uint8_t> ListBytes(const std::array<Record, N>& slots, int32_t count) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(slots.data());
  return {bytes, bytes + static_cast<size_t>(count) * sizeof(Record)};
}

}  // namespace

addins::EventRecord SafeEvent(const addins::EventRecord& stored) {
  addins::EventRecord event = stored;
  event.enabled = event.enabled != 0 ? 1 : 0;
  event.active = 0;
  event.stateSince = 0;
  event.timeInState = 0;
  event.reserved = 0;
  addins::TerminateField(event.name);
  addins::TerminateField(event.parameters);
  // The engine's own memory of the last moment: a moment already past is not due.
  if (addins::IsCalendar(event.type)) {
    addins::WriteParameter<int64_t>(event.parameters, addins::kLastDifferenceAt, 0);
  }
  return event;
}

addins::ActionRecord SafeAction(const addins::ActionRecord& stored, int32_t eventCount) {
  addins::ActionRecord action = stored;
  action.enabled = action.enabled != 0 ? 1 : 0;
  action.active = 0;
  action.onInactive = action.onInactive != 0 ? 1 : 0;
  addins::TerminateField(action.name);
  addins::TerminateField(action.parameters);
  if (action.eventIndex < -1 || action.eventIndex >= eventCount) {
    action.eventIndex = -1;
    action.enabled = 0;
  }
  if (action.type < 0 || action.type >= addins::kActionTypeCount) action.enabled = 0;
  if (action.type == static_cast<int32_t>(addins::ActionType::kChangeProfile)) {
    if (addins::ReadParameter<int32_t>(action.parameters, addins::kProfileIndexAt) < -1) {
      addins::WriteParameter<int32_t>(action.parameters, addins::kProfileIndexAt, -1);
    }
    addins::WriteParameter<int32_t>(action.parameters, addins::kSavedAcProfileAt, -1);
    addins::WriteParameter<int32_t>(action.parameters, addins::kSavedBatteryProfileAt, -1);
  }
  return action;
}

StoredProFeatures ReadProFeatures(platform::Registry& registry) {
  StoredProFeatures lists;
  const std::unique_ptr<platform::RegistryKey> key =
      registry.OpenUserKey(kProFeaturesKeyPath, false);
  if (!key) return lists;
  const std::optional<uint32_t> version = key->ReadDword(kVersionValue);
  if (!version || *version < kProFeaturesOldestFormat) return lists;
  lists.eventCount = ReadList(*key, kEventsValue, lists.events);
  lists.actionCount = ReadList(*key, kActionsValue, lists.actions);
  for (int32_t i = 0; i < lists.eventCount; ++i) {
    lists.events[static_cast<size_t>(i)] = SafeEvent(lists.events[static_cast<size_t>(i)]);
  }
  for (int32_t i = 0; i < lists.actionCount; ++i) {
    lists.actions[static_cast<size_t>(i)] =
        SafeAction(lists.actions[static_cast<size_t>(i)], lists.eventCount);
  }
  return lists;
}

bool WriteProFeatures(platform::Registry& registry, const StoredProFeatures& lists) {
  const std::unique_ptr<platform::RegistryKey> key =
      registry.OpenUserKey(kProFeaturesKeyPath, true);
  if (!key) return false;
  bool written = key->WriteDword(kVersionValue, kProFeaturesFormat);
  written = key->WriteBinary(kEventsValue, ListBytes(lists.events, lists.eventCount)) && written;
  written = key->WriteBinary(kActionsValue, ListBytes(lists.actions, lists.actionCount)) && written;
  return key->Flush() && written;
}

}  // namespace pacetta
