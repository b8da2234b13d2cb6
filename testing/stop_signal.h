#pragma once
// The program's stop signal as the engine sees it, set by the test itself.
#include <chrono>

#include "engine/sync/manual_reset_event.h"
#include "platform/instance.h"

namespace pacetta::testing {

class StopSignal final : public platform::NamedEvent {
 public:
  void Set() override { event_.Set(); }
  void Reset() override { event_.Reset(); }
  bool IsSet() override { return event_.IsSet(); }
  bool Wait(std::chrono::milliseconds timeout) override { return event_.Wait(timeout); }

 private:
  ManualResetEvent event_;
};

}  // namespace pacetta::testing
