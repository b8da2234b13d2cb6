#pragma once
#include <atomic>

#include "platform/message_box.h"

class QMessageBox;

namespace pacetta::ui {

// Message boxes as dialogs on the desktop, owned by the desktop (no parent window).
// A request to close the program (a signal, the end of the session) ends the box on
// screen with the safe answer, and every later one is answered so without being shown:
// nothing shown before or outside the running program's loop keeps it alive.
class QtMessageBoxes final : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(const std::string& text, const std::string& caption,
                               platform::MessageIcon icon,
                               platform::MessageButtons buttons) override;

  // Any thread.
  void RequestClose();

 private:
  std::atomic<bool> closing_{false};
  QMessageBox* open_ = nullptr;  // the box on screen; the GUI thread only
};

}  // namespace pacetta::ui
