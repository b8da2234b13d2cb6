#include "app/console/console_message_boxes.h"

#include <string>

namespace pacetta {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

bool Offers(MessageButtons buttons, MessageAnswer answer) {
  switch (buttons) {
    case MessageButtons::kOk:
      return answer == MessageAnswer::kOk;
    case MessageButtons::kOkCancel:
      return answer == MessageAnswer::kOk || answer == MessageAnswer::kCancel;
    case MessageButtons::kYesNo:
      return answer == MessageAnswer::kYes || answer == MessageAnswer::kNo;
    case MessageButtons::kYesNoCancel:
      return answer != MessageAnswer::kOk;
  }
  return false;
}

const char* AnswerName(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::kOk:
      return "OK";
    case MessageAnswer::kCancel:
      return "Cancel";
    case MessageAnswer::kYes:
      return "Yes";
    case MessageAnswer::kNo:
      return "No";
  }
  return "?";
}

}  // namespace

MessageAnswer ConsoleMessageBoxes::Show(const std::string& text, const std::string& caption,
                                        MessageIcon icon, MessageButtons buttons) {
  const bool problem = icon == MessageIcon::kError || icon == MessageIcon::kExclamation;
  std::FILE* stream = problem ? err_ : out_;
  std::fprintf(stream, "[%s] %s\n", caption.c_str(), text.c_str());
  MessageAnswer answer = platform::SafeAnswer(buttons);
  if (answer_ && Offers(buttons, *answer_)) answer = *answer_;
  if (buttons != MessageButtons::kOk)
    std::fprintf(stream, "[%s] -> %s\n", caption.c_str(), AnswerName(answer));
  std::fflush(stream);
  return answer;
}

}  // namespace pacetta
