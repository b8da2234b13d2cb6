#pragma once
// The professional features' lists over engines that keep what they are given and report
// the state a test sets, and a host window that answers nothing.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "addins/events_engines.h"
#include "app/addins/pro_features.h"

namespace pacetta::ui::testing {

class KeptEvents final : public addins::EventsEngine {
 public:
  void SetHostWindow(addins::HostWindow*) override {}
  int32_t GetCount() const override { return count; }
  void SetCount(int32_t n) override { count = n; }
  addins::EventRecord* GetRecord(int32_t i) override {
    return InRange(i) ? &records[Slot(i)] : nullptr;
  }
  void SetRecord(int32_t i, const addins::EventRecord& record) override {
    if (!InRange(i)) return;
    addins::EventRecord& kept = records[Slot(i)];
    const addins::EventRecord state = kept;
    kept = record;
    kept.active = state.active;
    kept.stateSince = state.stateSince;
    kept.timeInState = state.timeInState;
  }
  int32_t IsActive(int32_t i) const override { return InRange(i) ? records[Slot(i)].active : 0; }
  uint32_t GetTimeInState(int32_t i) const override {
    return InRange(i) ? records[Slot(i)].timeInState : 0;
  }
  void Evaluate() override {}
  void ResetStates() override {}

  std::array<addins::EventRecord, addins::kMaxEvents> records{};
  int32_t count = 0;

 private:
  static bool InRange(int32_t i) { return i >= 0 && i < addins::kMaxEvents; }
  static size_t Slot(int32_t i) { return static_cast<size_t>(i); }
};

class KeptActions final : public addins::ActionsEngine {
 public:
  void SetHostWindow(addins::HostWindow*) override {}
  int32_t GetCount() const override { return count; }
  void SetCount(int32_t n) override { count = n; }
  addins::ActionRecord* GetRecord(int32_t i) override {
    return i >= 0 && i < addins::kMaxActions ? &records[static_cast<size_t>(i)] : nullptr;
  }
  void SetRecord(int32_t i, const addins::ActionRecord& record) override {
    if (i >= 0 && i < addins::kMaxActions) records[static_cast<size_t>(i)] = record;
  }
  void Run() override {}
  void EndAll() override {}

  std::array<addins::ActionRecord, addins::kMaxActions> records{};
  int32_t count = 0;
};

class SilentWindow final : public addins::HostWindow {
 public:
  int64_t Send(uint32_t, uint64_t, int64_t) override { return 0; }
  uint32_t TickCount() override { return 0; }
  int64_t NowSeconds() override { return 0; }
  addins::CalendarTime LocalNow() override { return {}; }
  std::optional<int64_t> LocalToSeconds(const addins::CalendarTime&) override {
    return std::nullopt;
  }
  std::vector<std::string> RunningProgramNames(size_t) override { return {}; }
  std::optional<uint32_t> IdleMilliseconds() override { return std::nullopt; }
  bool StartCommandLine(const std::string&) override { return false; }
  bool RequestPower(addins::PowerRequest) override { return false; }
  void Sleep(uint32_t) override {}
};

struct ProFeaturesRig {
  KeptEvents events;
  KeptActions actions;
  SilentWindow window;
  ProFeatures lists{events, actions, window, addins::kVireonVersion};

  int32_t AddEvent(const std::string& name, addins::EventType type, int32_t parameter = 0) {
    addins::EventRecord event = addins::BlankEvent();
    event.enabled = 1;
    addins::SetFieldText(event.name, name);
    event.type = static_cast<int32_t>(type);
    addins::WriteParameter(event.parameters, 0, parameter);
    return *lists.AddEvent(event);
  }
  int32_t AddAction(const std::string& name, int32_t eventIndex) {
    addins::ActionRecord action = addins::BlankAction(addins::ActionType::kStandby);
    action.enabled = 1;
    addins::SetFieldText(action.name, name);
    action.eventIndex = eventIndex;
    return *lists.AddAction(action);
  }
};

}  // namespace pacetta::ui::testing
