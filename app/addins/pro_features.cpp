#include "app/addins/pro_features.h"

#include <algorithm>
#include <utility>

namespace pacetta {

namespace {

using addins::ActionRecord;
using addins::EventRecord;

// Profile references after profile `deleted` went: later ones move down, the deleted
// one becomes none. True when the reference was to the deleted profile.
bool RenumberProfile(int32_t& profile, int32_t deleted) {
  if (profile == deleted) {
    profile = -1;
    return true;
  }
  if (profile > deleted) --profile;
  return false;
}

bool RenumberProfileAt(std::array<uint8_t, addins::kParameterSize>& area, size_t at,
                       int32_t deleted) {
  auto profile = addins::ReadParameter<int32_t>(area, at);
  const bool lost = RenumberProfile(profile, deleted);
  addins::WriteParameter(area, at, profile);
  return lost;
}

bool IsChangeProfile(const ActionRecord& action) {
  return action.type == static_cast<int32_t>(addins::ActionType::kChangeProfile);
}

}  // namespace

ProFeatures::ProFeatures(addins::EventsEngine& events, addins::ActionsEngine& actions,
                         addins::HostWindow& window, uint32_t moduleVersion)
    : events_(events), actions_(actions), window_(window), moduleVersion_(moduleVersion) {}

const EventRecord& ProFeatures::Event(int32_t index) const {
  return lists_.events[static_cast<size_t>(std::clamp(index, 0, addins::kMaxEvents - 1))];
}

const ActionRecord& ProFeatures::Action(int32_t index) const {
  return lists_.actions[static_cast<size_t>(std::clamp(index, 0, addins::kMaxActions - 1))];
}

void ProFeatures::Load(platform::Registry& registry) {
  registry_ = &registry;
  lists_ = ReadProFeatures(registry);
  events_.SetHostWindow(&window_);
  actions_.SetHostWindow(&window_);
  PushEvents();
  PushActions();
}

bool ProFeatures::Save(platform::Registry& registry) const {
  return WriteProFeatures(registry, lists_);
}

void ProFeatures::Store() {
  if (registry_ != nullptr) WriteProFeatures(*registry_, lists_);
}

void ProFeatures::PushEvent(int32_t index) {
  events_.SetRecord(index, EventAt(index));
  if (EventRecord* engine = events_.GetRecord(index)) {
    engine->active = 0;
    engine->timeInState = 0;
    engine->stateSince = window_.TickCount();
  }
}

void ProFeatures::PushAction(int32_t index) {
  actions_.SetRecord(index, ActionAt(index));
  if (ActionRecord* engine = actions_.GetRecord(index)) engine->active = 0;
}

void ProFeatures::PushEvents() {
  events_.SetCount(lists_.eventCount);
  for (int32_t i = 0; i < lists_.eventCount; ++i) PushEvent(i);
}

void ProFeatures::PushActions() {
  actions_.SetCount(lists_.actionCount);
  for (int32_t i = 0; i < lists_.actionCount; ++i) PushAction(i);
}

std::optional<int32_t> ProFeatures::AddEvent(const EventRecord& record) {
  if (lists_.eventCount >= addins::kMaxEvents) return std::nullopt;
  const int32_t index = lists_.eventCount++;
  EventAt(index) = SafeEvent(record);
  events_.SetCount(lists_.eventCount);
  PushEvent(index);
  Store();
  return index;
}

void ProFeatures::ModifyEvent(int32_t index, const EventRecord& record) {
  if (index < 0 || index >= lists_.eventCount) return;
  EventAt(index) = SafeEvent(record);
  events_.SetCount(lists_.eventCount);
  PushEvent(index);
  Store();
}

void ProFeatures::SetEventEnabled(int32_t index, bool enabled) {
  if (index < 0 || index >= lists_.eventCount) return;
  EventAt(index).enabled = enabled ? 1 : 0;
  PushEvent(index);
  Store();
}

void ProFeatures::DeleteEvent(int32_t index) {
  if (index < 0 || index >= lists_.eventCount) return;
  auto& events = lists_.events;
  std::move(events.begin() + index + 1, events.begin() + lists_.eventCount, events.begin() + index);
  --lists_.eventCount;
  EventAt(lists_.eventCount) = EventRecord{};
  events_.ResetStates();
  actions_.EndAll();
  for (int32_t i = 0; i < lists_.actionCount; ++i) {
    ActionRecord& action = ActionAt(i);
    if (action.eventIndex == index) {
      action.eventIndex = -1;
      action.enabled = 0;
    } else if (action.eventIndex > index) {
      --action.eventIndex;
    }
  }
  PushActions();
  PushEvents();
  Store();
}

std::optional<int32_t> ProFeatures::AddAction(const ActionRecord& record) {
  if (lists_.actionCount >= addins::kMaxActions) return std::nullopt;
  const int32_t index = lists_.actionCount++;
  ActionAt(index) = SafeAction(record, lists_.eventCount);
  actions_.SetCount(lists_.actionCount);
  PushAction(index);
  Store();
  return index;
}

void ProFeatures::ModifyAction(int32_t index, const ActionRecord& record) {
  if (index < 0 || index >= lists_.actionCount) return;
  actions_.EndAll();
  ActionAt(index) = SafeAction(record, lists_.eventCount);
  PushAction(index);
  Store();
}

void ProFeatures::SetActionEnabled(int32_t index, bool enabled) {
  if (index < 0 || index >= lists_.actionCount) return;
  // Ended first, as any change: an action switched off while in effect gives back the
  // profiles it saved instead of keeping them for ever.
  actions_.EndAll();
  ActionAt(index).enabled = enabled ? 1 : 0;
  PushAction(index);
  Store();
}

void ProFeatures::DeleteAction(int32_t index) {
  if (index < 0 || index >= lists_.actionCount) return;
  actions_.EndAll();
  auto& actions = lists_.actions;
  std::move(actions.begin() + index + 1, actions.begin() + lists_.actionCount,
            actions.begin() + index);
  --lists_.actionCount;
  ActionAt(lists_.actionCount) = ActionRecord{};
  PushActions();
  Store();
}

bool ProFeatures::MoveAction(int32_t index, bool up) {
  const int32_t other = up ? index - 1 : index + 1;
  if (index < 0 || index >= lists_.actionCount || other < 0 || other >= lists_.actionCount) {
    return false;
  }
  actions_.EndAll();
  std::swap(ActionAt(index), ActionAt(other));
  PushAction(index);
  PushAction(other);
  Store();
  return true;
}

EventStatus ProFeatures::Status(int32_t index) const {
  EventStatus status;
  status.evaluated = evaluated_;
  status.active = events_.IsActive(index) != 0;
  status.timeInStateMs = events_.GetTimeInState(index);
  return status;
}

void ProFeatures::Evaluate() {
  events_.Evaluate();
  actions_.Run();
  evaluated_ = true;
}

void ProFeatures::ProfileDeleted(int32_t index) {
  for (int32_t i = 0; i < lists_.eventCount; ++i) {
    EventRecord& event = EventAt(i);
    if (event.type == static_cast<int32_t>(addins::EventType::kProfileIs) &&
        RenumberProfileAt(event.parameters, 0, index)) {
      event.enabled = 0;
    }
  }
  for (int32_t i = 0; i < lists_.actionCount; ++i) {
    ActionRecord& action = ActionAt(i);
    if (IsChangeProfile(action) &&
        RenumberProfileAt(action.parameters, addins::kProfileIndexAt, index)) {
      action.enabled = 0;
    }
    // The profiles an action in effect will give back are numbered anew as well, so that
    // ending it below brings back the right ones, or none that is gone.
    if (ActionRecord* engine = actions_.GetRecord(i);
        engine != nullptr && IsChangeProfile(*engine)) {
      RenumberProfileAt(engine->parameters, addins::kSavedAcProfileAt, index);
      RenumberProfileAt(engine->parameters, addins::kSavedBatteryProfileAt, index);
    }
  }
  events_.ResetStates();
  actions_.EndAll();
  PushEvents();
  PushActions();
  Store();
}

void ProFeatures::Shutdown() {
  events_.ResetStates();
  actions_.EndAll();
}

}  // namespace pacetta
