#pragma once
#include "engine/monitor/display_texts.h"

namespace pacetta {

// What a refresh hands on, in this order, on the main thread. Each part of the program
// that follows the refresh implements its own step; the rest do nothing.
class RefreshObserver {
 public:
  virtual ~RefreshObserver() = default;
  // A warning balloon (the overheat alert), shown again at every refresh it holds.
  virtual void ShowWarningBalloon(const Balloon& /*balloon*/) {}
  // New samples are in: one log record when logging is on.
  virtual void WriteLogRecord() {}
  // New samples are in and the idle helpers run: restart any that ended.
  virtual void SuperviseIdleHelpers() {}
  // Every refresh, also without sampling: pages, graphs and the add-in take the values.
  virtual void UpdateViews(bool /*redraw*/) {}
};

}  // namespace pacetta
