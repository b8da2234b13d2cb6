#pragma once
#include <cstdint>
#include <optional>

#include "addins/event_records.h"
#include "addins/events_engines.h"
#include "app/addins/pro_features_store.h"
#include "platform/registry.h"

namespace pacetta {

// An event's status as the events list shows it.
struct EventStatus {
  bool evaluated = false;  // false: "N/A", no evaluation since the list was shown
  bool active = false;
  uint32_t timeInStateMs = 0;
};

// The stored format version of the lists.
inline constexpr uint32_t kProFeaturesFormat = 0x02030001u;
// Stored data below this version is ignored.
inline constexpr uint32_t kProFeaturesOldestFormat = 0x02030000u;

// The host's copies of the events and actions lists: loaded from and saved to the user's
// settings, edited by the professional features page, pushed into the module's engines
// after every change, and driven on the window's timer and around standby. Every call on
// the main thread.
class ProFeatures {
 public:
  ProFeatures(addins::EventsEngine& events, addins::ActionsEngine& actions,
              addins::HostWindow& window, uint32_t moduleVersion);

  uint32_t ModuleVersion() const { return moduleVersion_; }

  // Reads the stored lists (unusable or older data gives empty lists; records from
  // outside are made safe first), gives both engines the window and pushes both lists.
  // From then on every edit is stored at once in `registry`, so a crash loses none.
  void Load(platform::Registry& registry);
  // Writes the format version and both lists; false when the store refused.
  bool Save(platform::Registry& registry) const;

  int32_t EventCount() const { return lists_.eventCount; }
  const addins::EventRecord& Event(int32_t index) const;
  int32_t ActionCount() const { return lists_.actionCount; }
  const addins::ActionRecord& Action(int32_t index) const;

  // The editors' results. A new record is appended (nullopt when the list is full); a
  // modified one replaces record `index`. The engine-owned fields of `record` are not
  // taken.
  std::optional<int32_t> AddEvent(const addins::EventRecord& record);
  void ModifyEvent(int32_t index, const addins::EventRecord& record);
  void SetEventEnabled(int32_t index, bool enabled);
  // The actions on a later event move with it; those on the deleted one lose their event
  // and are disabled.
  void DeleteEvent(int32_t index);
  std::optional<int32_t> AddAction(const addins::ActionRecord& record);
  void ModifyAction(int32_t index, const addins::ActionRecord& record);
  void SetActionEnabled(int32_t index, bool enabled);
  void DeleteAction(int32_t index);
  // Swaps action `index` with its neighbour above (`up`) or below; false at the list's end.
  bool MoveAction(int32_t index, bool up);

  // The status of event `index` as of the latest evaluation.
  EventStatus Status(int32_t index) const;

  // The window's timer tick and the window brought up from the tray: evaluate, then run.
  void Evaluate();
  // Profile `index` was deleted: references to later profiles move down with them; events
  // and actions on the deleted one lose it and are disabled.
  void ProfileDeleted(int32_t index);
  // At shutdown: every event inactive, every action ended (profiles restored).
  void Shutdown();

 private:
  addins::EventRecord& EventAt(int32_t index) { return lists_.events[static_cast<size_t>(index)]; }
  addins::ActionRecord& ActionAt(int32_t index) {
    return lists_.actions[static_cast<size_t>(index)];
  }
  // After an edit.
  void Store();
  void PushEvents();
  void PushActions();
  void PushEvent(int32_t index);
  void PushAction(int32_t index);

  addins::EventsEngine& events_;
  addins::ActionsEngine& actions_;
  addins::HostWindow& window_;
  uint32_t moduleVersion_;
  platform::Registry* registry_ = nullptr;
  StoredProFeatures lists_;
  bool evaluated_ = false;
};

}  // namespace pacetta
