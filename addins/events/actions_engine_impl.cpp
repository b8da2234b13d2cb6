#include "addins/events/actions_engine_impl.h"

#include <algorithm>
#include <string>

#include "addins/host_messages.h"

namespace pacetta::addins {

namespace {

bool InSlots(int32_t index) {
  return index >= 0 && index < kMaxActions;
}

bool IsChangeProfile(const ActionRecord& action) {
  return action.type == static_cast<int32_t>(ActionType::kChangeProfile);
}

bool Restores(const ActionRecord& action) {
  return IsChangeProfile(action) &&
         ReadParameter<int32_t>(action.parameters, kRestoreProfileAt) != 0;
}

}  // namespace

void ActionsEngineImpl::SetCount(int32_t count) {
  count_ = std::clamp(count, 0, kMaxActions);
}

ActionRecord* ActionsEngineImpl::GetRecord(int32_t index) {
  return InSlots(index) ? &records_[static_cast<size_t>(index)] : nullptr;
}

void ActionsEngineImpl::SetRecord(int32_t index, const ActionRecord& record) {
  if (!InSlots(index)) return;
  ActionRecord& slot = records_[static_cast<size_t>(index)];
  const int32_t active = slot.active;
  slot = record;
  slot.active = active;
  TerminateField(slot.name);
  TerminateField(slot.parameters);
}

bool ActionsEngineImpl::Holds(const ActionRecord& action) const {
  if (action.eventIndex < 0 || action.eventIndex >= events_.GetCount()) return false;
  const bool active = events_.IsActive(action.eventIndex) != 0;
  return action.onInactive == 0 ? active : !active;
}

bool ActionsEngineImpl::HeldLongEnough(const ActionRecord& action) const {
  return events_.GetTimeInState(action.eventIndex) >= action.delayMs;
}

void ActionsEngineImpl::ChangeProfilePass() {
  // The first change-profile action in effect, or waiting out its delay, keeps the later
  // ones from acting.
  for (int32_t i = 0; i < count_; ++i) {
    const ActionRecord& action = records_[static_cast<size_t>(i)];
    if (!IsChangeProfile(action) || action.enabled == 0) continue;
    if (action.active != 0) return;
    if (!Holds(action)) continue;
    if (HeldLongEnough(action)) Perform(i);
    return;
  }
}

void ActionsEngineImpl::OtherActionsPass() {
  for (int32_t i = 0; i < count_; ++i) {
    const ActionRecord& action = records_[static_cast<size_t>(i)];
    if (IsChangeProfile(action) || action.enabled == 0) continue;
    if (action.active != 0) return;
    if (Holds(action) && HeldLongEnough(action)) Perform(i);
  }
}

void ActionsEngineImpl::Run() {
  if (window_ == nullptr) return;
  ChangeProfilePass();
  OtherActionsPass();
  for (int32_t i = count_ - 1; i >= 0; --i) {
    const ActionRecord& action = records_[static_cast<size_t>(i)];
    if (action.enabled == 0 || action.active == 0) continue;
    // An event that is gone reads as inactive.
    const bool eventActive = events_.IsActive(action.eventIndex) != 0;
    const bool triggerActive = action.onInactive == 0;
    if (eventActive != triggerActive) End(i);
  }
}

void ActionsEngineImpl::Perform(int32_t index) {
  ActionRecord& action = records_[static_cast<size_t>(index)];
  HostWindow& window = *window_;
  action.active = 1;
  const EventRecord* event = events_.GetRecord(action.eventIndex);
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kChangeProfile: {
      int32_t savedAc = -1;
      int32_t savedBattery = -1;
      if (Restores(action) && event != nullptr) {
        if ((event->sources & kOnAc) != 0) {
          savedAc = static_cast<int32_t>(window.Send(kHostGetProfile, kProfileOfAc, 0));
        }
        if ((event->sources & kOnBattery) != 0) {
          savedBattery = static_cast<int32_t>(window.Send(kHostGetProfile, kProfileOfBattery, 0));
        }
      }
      WriteParameter(action.parameters, kSavedAcProfileAt, savedAc);
      WriteParameter(action.parameters, kSavedBatteryProfileAt, savedBattery);
      const int32_t profile = ReadParameter<int32_t>(action.parameters, kProfileIndexAt);
      if (profile != -1) {
        window.Send(kHostSetProfile, static_cast<uint32_t>(profile),
                    static_cast<int64_t>(kProfileOfCurrentSource));
      }
      break;
    }
    case ActionType::kRunApplication:
      // A program that does not start is not reported: the action still counts as done.
      window.StartCommandLine(std::string(FieldText(action.parameters)));
      break;
    case ActionType::kStandby:
      window.RequestPower(PowerRequest::kStandby);
      break;
    case ActionType::kHibernate:
      window.RequestPower(PowerRequest::kHibernate);
      break;
    case ActionType::kShutdown:
      window.RequestPower(PowerRequest::kShutdown);
      break;
  }
  // An action on the coming standby holds it back while it takes effect; the wait is
  // bounded, whatever the record says, so the standby always goes on.
  if (action.onInactive == 0 && event != nullptr &&
      event->type == static_cast<int32_t>(EventType::kSuspending)) {
    const int32_t hold = ReadParameter<int32_t>(event->parameters, 0);
    window.Sleep(static_cast<uint32_t>(std::clamp<int64_t>(hold, 0, kMaxSuspendHoldMs)));
  }
}

void ActionsEngineImpl::End(int32_t index) {
  ActionRecord& action = records_[static_cast<size_t>(index)];
  action.active = 0;
  if (!Restores(action)) return;
  const int32_t savedAc = ReadParameter<int32_t>(action.parameters, kSavedAcProfileAt);
  const int32_t savedBattery = ReadParameter<int32_t>(action.parameters, kSavedBatteryProfileAt);
  // An earlier action still in effect keeps the profiles; one that restores takes over
  // the profiles saved first, which come back when it ends.
  for (int32_t i = index - 1; i >= 0; --i) {
    ActionRecord& earlier = records_[static_cast<size_t>(i)];
    if (earlier.active == 0) continue;
    if (Restores(earlier)) {
      WriteParameter(earlier.parameters, kSavedAcProfileAt, savedAc);
      WriteParameter(earlier.parameters, kSavedBatteryProfileAt, savedBattery);
    }
    return;
  }
  if (window_ == nullptr) return;
  if (savedAc != -1) {
    window_->Send(kHostSetProfile, static_cast<uint32_t>(savedAc),
                  static_cast<int64_t>(kProfileOfAc));
  }
  if (savedBattery != -1) {
    window_->Send(kHostSetProfile, static_cast<uint32_t>(savedBattery),
                  static_cast<int64_t>(kProfileOfBattery));
  }
}

void ActionsEngineImpl::EndAll() {
  for (int32_t i = count_ - 1; i >= 0; --i) {
    const ActionRecord& action = records_[static_cast<size_t>(i)];
    if (action.enabled != 0 && action.active != 0) End(i);
  }
}

}  // namespace pacetta::addins
