#pragma once
#include <string>

namespace pacetta::platform {

enum class MessageIcon { kNone, kError, kExclamation, kInformation, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
// Numbered as the window system numbers the answers.
enum class MessageAnswer { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// The answer that commits to nothing: Cancel, or No without a Cancel button, or OK where
// it is the only button. Taken when no one answers.
inline MessageAnswer SafeAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      return MessageAnswer::kOk;
    case MessageButtons::kYesNo:
      return MessageAnswer::kNo;
    case MessageButtons::kOkCancel:
    case MessageButtons::kYesNoCancel:
      break;
  }
  return MessageAnswer::kCancel;
}

// Message boxes are shown by the front end: a dialog on the desktop, a line on the
// console, or a recorder in tests.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) = 0;
};

}  // namespace pacetta::platform
