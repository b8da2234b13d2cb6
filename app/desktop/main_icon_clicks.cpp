#include "app/desktop/main_icon_clicks.h"

namespace pacetta {

bool MainIconClicks::OnRelease(bool leftClickMenu) {
  if (!leftClickMenu || pending_) return false;
  pending_ = true;
  return true;
}

MainIconClicks::Action MainIconClicks::OnDoubleClick(bool leftClickMenu) {
  if (!leftClickMenu) return Action::kToggleWindow;
  // A double click counts only for the sequence its own timer ends.
  if (pending_) doubleClicked_ = true;
  return Action::kNone;
}

MainIconClicks::Action MainIconClicks::OnTimer(bool canControl) {
  pending_ = false;
  if (doubleClicked_) {
    doubleClicked_ = false;
    return Action::kToggleWindow;
  }
  return canControl ? Action::kProfileMenu : Action::kNone;
}

}  // namespace pacetta
