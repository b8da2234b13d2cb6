#pragma once
#include <array>
#include <cstdint>

#include "addins/events_engines.h"

namespace pacetta::addins {

// The events module's actions engine: performs the actions whose events hold their
// trigger state long enough and ends them when the events change. The list order is the
// actions' priority.
class ActionsEngineImpl final : public ActionsEngine {
 public:
  // The most a standby may be held back for an action on it.
  static constexpr uint32_t kMaxSuspendHoldMs = 5000;

  explicit ActionsEngineImpl(EventsEngine& events) : events_(events) {}

  void SetHostWindow(HostWindow* window) override { window_ = window; }
  int32_t GetCount() const override { return count_; }
  void SetCount(int32_t count) override;
  ActionRecord* GetRecord(int32_t index) override;
  void SetRecord(int32_t index, const ActionRecord& record) override;
  void Run() override;
  void EndAll() override;

 private:
  // The action's event holds its trigger state (never for an action without event).
  bool Holds(const ActionRecord& action) const;
  bool HeldLongEnough(const ActionRecord& action) const;
  void ChangeProfilePass();
  void OtherActionsPass();
  void Perform(int32_t index);
  void End(int32_t index);

  EventsEngine& events_;
  HostWindow* window_ = nullptr;
  std::array<ActionRecord, kMaxActions> records_{};
  int32_t count_ = 0;
};

}  // namespace pacetta::addins
