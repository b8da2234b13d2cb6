#pragma once
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

#include "app/updates/update_service.h"

class QLabel;
class QPropertyAnimation;
class QPushButton;

namespace pacetta::ui {

// The small window that tells of an update: a question (Yes, No, Info...) or an
// information (OK alone). It comes forward without taking the main window's place:
// centred over the main window when that is on screen (fading in), else in the lower
// right corner of the work area (sliding up). A button answers, and the window fades out.
class UpdateNoticeWindow final : public QWidget {
 public:
  using Answered = std::function<void(NoticeButton)>;
  explicit UpdateNoticeWindow(Answered answered);

  // Shows `notice` over `mainWindow` when that is on screen. A window already on screen
  // takes the new text and buttons where it stands.
  void Present(const UpdateNotice& notice, QWidget* mainWindow);
  // A new text for the one shown (the download's progress).
  void SetText(const QString& text);
  // Fades out; hidden at the end.
  void Dismiss();
  // Put away at once, without an answer (the program ends).
  void Withdraw();
  // Brings a running animation to its end at once.
  void Settle();

  // On screen and not on its way out.
  bool Showing() const;
  UpdateNotice::Form Form() const { return form_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetForm(UpdateNotice::Form form);
  void Answer(NoticeButton button);
  void StopAnimations();
  // The screen's work area by the main window's screen.
  QRect WorkArea(const QWidget* mainWindow) const;
  // Where the window comes to rest: centred over the main window on screen, else in the
  // work area's lower right corner.
  QPoint FinalPlace(const QWidget* mainWindow) const;

  Answered answered_;
  UpdateNotice::Form form_ = UpdateNotice::Form::kQuestion;
  QLabel* icon_ = nullptr;
  QLabel* text_ = nullptr;
  QPushButton* yes_ = nullptr;
  QPushButton* no_ = nullptr;
  QPushButton* info_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPropertyAnimation* fade_ = nullptr;
  QPropertyAnimation* slide_ = nullptr;
  bool leaving_ = false;  // fading out after an answer
};

}  // namespace pacetta::ui
