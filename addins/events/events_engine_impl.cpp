#include "addins/events/events_engine_impl.h"

#include <algorithm>

#include "addins/host_messages.h"

namespace pacetta::addins {

namespace {

bool InSlots(int32_t index) {
  return index >= 0 && index < kMaxEvents;
}

class HostLocalSeconds final : public LocalSeconds {
 public:
  explicit HostLocalSeconds(HostWindow& window) : window_(window) {}
  std::optional<int64_t> Convert(const CalendarTime& local) override {
    return window_.LocalToSeconds(local);
  }

 private:
  HostWindow& window_;
};

}  // namespace

void EventsEngineImpl::SetCount(int32_t count) {
  count_ = std::clamp(count, 0, kMaxEvents);
}

EventRecord* EventsEngineImpl::GetRecord(int32_t index) {
  return InSlots(index) ? &records_[static_cast<size_t>(index)] : nullptr;
}

void EventsEngineImpl::SetRecord(int32_t index, const EventRecord& record) {
  if (!InSlots(index)) return;
  EventRecord& slot = records_[static_cast<size_t>(index)];
  slot.enabled = record.enabled;
  slot.name = record.name;
  slot.type = record.type;
  slot.sources = record.sources;
  slot.parameters = record.parameters;
  // A record from outside may lack its terminators; the engine never reads past a field.
  TerminateField(slot.name);
  TerminateField(slot.parameters);
}

int32_t EventsEngineImpl::IsActive(int32_t index) const {
  return InSlots(index) ? records_[static_cast<size_t>(index)].active : 0;
}

uint32_t EventsEngineImpl::GetTimeInState(int32_t index) const {
  return InSlots(index) ? records_[static_cast<size_t>(index)].timeInState : 0;
}

EventInputs EventsEngineImpl::Snapshot() {
  HostWindow& window = *window_;
  EventInputs inputs;
  inputs.nowSeconds = window.NowSeconds();
  inputs.clockWentBack = lastEvaluation_ && inputs.nowSeconds < *lastEvaluation_;
  lastEvaluation_ = inputs.nowSeconds;
  inputs.localNow = window.LocalNow();
  inputs.programs = window.RunningProgramNames(kMaxPrograms);
  inputs.profile = window.Send(kHostGetProfile, kProfileOfCurrentSource, 0);
  inputs.powerSource = window.Send(kHostPowerSource, 0, 0);
  inputs.batteryLevel = window.Send(kHostBatteryLevel, 0, 0);
  inputs.temperature = window.Send(kHostTemperature, 0, 0);
  inputs.powerEvent = window.Send(kHostPowerEvent, 0, 0);
  inputs.scheme.fill(0);
  window.Send(kHostPowerScheme, reinterpret_cast<uint64_t>(inputs.scheme.data()), 0);
  inputs.idleMs = window.IdleMilliseconds();
  return inputs;
}

void EventsEngineImpl::Evaluate() {
  if (window_ == nullptr) return;
  const EventInputs inputs = Snapshot();
  const uint32_t now = window_->TickCount();
  const int32_t sourceBit = inputs.powerSource == 1 ? kOnAc : kOnBattery;
  HostLocalSeconds clock(*window_);
  for (int32_t i = 0; i < count_; ++i) {
    EventRecord& event = records_[static_cast<size_t>(i)];
    // Skipped events keep their state and times as they were.
    if (event.enabled == 0 || (event.sources & sourceBit) == 0) continue;
    const int32_t state = EventHolds(event, inputs, clock) ? 1 : 0;
    if (state == event.active) {
      event.timeInState = now - event.stateSince;
    } else {
      event.stateSince = now;
      event.timeInState = 0;
      event.active = state;
    }
  }
}

void EventsEngineImpl::ResetStates() {
  const uint32_t now = window_ != nullptr ? window_->TickCount() : 0;
  for (int32_t i = 0; i < count_; ++i) {
    EventRecord& event = records_[static_cast<size_t>(i)];
    event.active = 0;
    event.timeInState = 0;
    event.stateSince = now;
  }
}

}  // namespace pacetta::addins
