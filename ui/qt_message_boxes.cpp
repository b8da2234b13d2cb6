#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

namespace pacetta::ui {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

MessageAnswer QtMessageBoxes::Show(const std::string& text, const std::string& caption,
                                   MessageIcon icon, MessageButtons buttons) {
  if (closing_.load()) return platform::SafeAnswer(buttons);
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MessageIcon::kError:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageIcon::kExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::kNone:
      break;
  }
  switch (buttons) {
    case MessageButtons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageButtons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MessageButtons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MessageButtons::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  open_ = &box;
  const int result = box.exec();
  open_ = nullptr;
  if (closing_.load()) return platform::SafeAnswer(buttons);
  switch (result) {
    case QMessageBox::Yes:
      return MessageAnswer::kYes;
    case QMessageBox::No:
      return MessageAnswer::kNo;
    case QMessageBox::Ok:
      return MessageAnswer::kOk;
    default:
      return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kCancel;
  }
}

void QtMessageBoxes::RequestClose() {
  closing_.store(true);
  // On the GUI thread: the box's own loop runs the request, also when the box opens
  // only after it was queued (the flag is looked at before a box is shown).
  QMetaObject::invokeMethod(
      qApp,
      [this] {
        if (open_) open_->reject();
      },
      Qt::QueuedConnection);
}

}  // namespace pacetta::ui
