#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "addins/events/event_inputs.h"
#include "addins/events_engines.h"

namespace pacetta::addins {

// The events module's events engine: evaluates every enabled event of the present power
// source once per call against one snapshot of the system.
class EventsEngineImpl final : public EventsEngine {
 public:
  // The most running programs one evaluation looks at.
  static constexpr size_t kMaxPrograms = 1024;

  void SetHostWindow(HostWindow* window) override { window_ = window; }
  int32_t GetCount() const override { return count_; }
  void SetCount(int32_t count) override;
  EventRecord* GetRecord(int32_t index) override;
  void SetRecord(int32_t index, const EventRecord& record) override;
  int32_t IsActive(int32_t index) const override;
  uint32_t GetTimeInState(int32_t index) const override;
  void Evaluate() override;
  void ResetStates() override;

 private:
  EventInputs Snapshot();

  HostWindow* window_ = nullptr;
  std::array<EventRecord, kMaxEvents> records_{};
  int32_t count_ = 0;
  std::optional<int64_t> lastEvaluation_;  // seconds, to see the clock set back
};

}  // namespace pacetta::addins
