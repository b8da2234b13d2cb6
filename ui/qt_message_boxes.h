#pragma once
#include "platform/message_box.h"

namespace pacetta::ui {

// Message boxes as dialogs on the desktop, owned by the desktop (no parent window).
class QtMessageBoxes final : public platform::MessageBoxes {
 public:
  platform::MessageAnswer Show(const std::string& text, const std::string& caption,
                               platform::MessageIcon icon,
                               platform::MessageButtons buttons) override;
};

}  // namespace pacetta::ui
