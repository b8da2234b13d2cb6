#pragma once

namespace pacetta {

// The main tray icon's left button. Without the profile menu on a single click, a double
// click shows or hides the window. With it, a release starts a one-shot timer of the
// desktop's double-click time (unless one is pending); a double click before it fires
// marks the sequence, and when it fires the marked sequence shows or hides the window,
// while a single click opens the profile menu (where the processor can be controlled).
class MainIconClicks {
 public:
  enum class Action { kNone, kToggleWindow, kProfileMenu };

  // True when the timer must be started now.
  bool OnRelease(bool leftClickMenu);
  Action OnDoubleClick(bool leftClickMenu);
  // The timer fired.
  Action OnTimer(bool canControl);

 private:
  bool pending_ = false;
  bool doubleClicked_ = false;
};

}  // namespace pacetta
