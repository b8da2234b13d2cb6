#include "app/startup/hand_over.h"

#include "app/window_messages.h"

namespace pacetta {

bool HandOverToRunningInstance(platform::Windows& windows, const std::string& caption,
                               const Command& command) {
  auto window = windows.Find(kMainWindowClass, caption);
  if (!window) return false;
  switch (command.kind) {
    case CommandKind::kProfile:
      window->Post({kMsgSetProfile, command.profile, kProfileSlotBoth});
      return true;
    case CommandKind::kNextProfile:
      window->Post({kMsgSetProfile, kProfileNext, kProfileSlotBoth});
      return true;
    case CommandKind::kPrevProfile:
      window->Post({kMsgSetProfile, kProfilePrevious, kProfileSlotBoth});
      return true;
    case CommandKind::kResume:
      window->Post({kMsgResume, 0, 0});
      return true;
    case CommandKind::kExit:
      window->Post({platform::kWmClose, 0, 0});
      return true;
    default:
      // Any other start brings the running window forward.
      if (!window->IsVisible()) {
        window->Show();
        window->Post({kMsgShow, 0, 0});
      }
      window->BringToForeground();
      return true;
  }
}

}  // namespace pacetta
