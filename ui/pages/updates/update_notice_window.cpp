#include "ui/pages/updates/update_notice_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/window/dialog_units.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr int kAnimationMs = 250;
// The text's width, in dialog units: a few short lines for the usual notices.
constexpr int kTextWidth = 170;
constexpr int kButtonWidth = 50;

QPushButton* NoticeButtonOf(const QString& text, const char* name, int width) {
  auto* button = MakeOwned<QPushButton>(text);
  button->setObjectName(name);
  button->setMinimumWidth(width);
  return button;
}

bool OnScreen(const QWidget* window) {
  return window != nullptr && window->isVisible() && !window->isMinimized();
}

}  // namespace

UpdateNoticeWindow::UpdateNoticeWindow(Answered answered)
    // A tool window: no task bar button of its own, so the main window keeps its place.
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), answered_(std::move(answered)) {
  setObjectName("UpdateNotice");
  setWindowTitle(QStringLiteral("Tarvello Updates"));
  const DialogUnits units(font());

  icon_ = MakeOwned<QLabel>();
  icon_->setObjectName("NoticeIcon");
  icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  text_ = MakeOwned<QLabel>();
  text_->setObjectName("NoticeText");
  // The text may carry the server's description: never read as markup.
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setFixedWidth(units.X(kTextWidth));
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  yes_ = NoticeButtonOf(QStringLiteral("Yes"), "Yes", units.X(kButtonWidth));
  no_ = NoticeButtonOf(QStringLiteral("No"), "No", units.X(kButtonWidth));
  info_ = NoticeButtonOf(QStringLiteral("Info..."), "Info", units.X(kButtonWidth));
  ok_ = NoticeButtonOf(QStringLiteral("OK"), "Ok", units.X(kButtonWidth));
  const std::pair<QPushButton*, NoticeButton> buttons[] = {{yes_, NoticeButton::kYes},
                                                           {no_, NoticeButton::kNo},
                                                           {info_, NoticeButton::kInfo},
                                                           {ok_, NoticeButton::kOk}};
  for (const auto& [button, answer] : buttons) {
    connect(button, &QPushButton::clicked, this, [this, answer] { Answer(answer); });
  }

  auto* message = MakeOwned<QHBoxLayout>();
  message->setSpacing(units.X(7));
  message->addWidget(icon_, 0, Qt::AlignTop);
  message->addWidget(text_, 1);
  auto* row = MakeOwned<QHBoxLayout>();
  row->addStretch(1);
  for (const auto& [button, answer] : buttons) row->addWidget(button);
  row->addStretch(1);
  auto* window = MakeOwned<QVBoxLayout>(this);
  window->setContentsMargins(units.X(7), units.Y(7), units.X(7), units.Y(7));
  window->setSpacing(units.Y(7));
  // The window takes the size its text needs, whatever it says.
  window->setSizeConstraint(QLayout::SetFixedSize);
  window->addLayout(message);
  window->addLayout(row);

  fade_ = MakeOwned<QPropertyAnimation>(this, "windowOpacity", this);
  fade_->setDuration(kAnimationMs);
  slide_ = MakeOwned<QPropertyAnimation>(this, "pos", this);
  slide_->setDuration(kAnimationMs);
  slide_->setEasingCurve(QEasingCurve::OutCubic);
  connect(fade_, &QPropertyAnimation::finished, this, [this] {
    if (!leaving_) return;
    leaving_ = false;
    hide();
  });
  SetForm(form_);
}

void UpdateNoticeWindow::SetForm(UpdateNotice::Form form) {
  form_ = form;
  const bool question = form == UpdateNotice::Form::kQuestion;
  yes_->setVisible(question);
  no_->setVisible(question);
  info_->setVisible(question);
  ok_->setVisible(!question);
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon_->setPixmap(style()
                       ->standardIcon(question ? QStyle::SP_MessageBoxQuestion
                                               : QStyle::SP_MessageBoxInformation,
                                      nullptr, this)
                       .pixmap(size, size));
  (question ? yes_ : ok_)->setFocus();
}

void UpdateNoticeWindow::Present(const UpdateNotice& notice, QWidget* mainWindow) {
  SetForm(notice.form);
  SetText(QString::fromStdString(notice.text));
  if (Showing()) {
    // Replaced where it stands, at its new size.
    Settle();
    adjustSize();
    move(FinalPlace(mainWindow));
    raise();
    return;
  }
  leaving_ = false;
  StopAnimations();
  adjustSize();
  if (OnScreen(mainWindow)) {
    setWindowOpacity(0.0);
    show();
    // Placed once shown: only then is the frame's size known.
    move(FinalPlace(mainWindow));
    fade_->setStartValue(0.0);
    fade_->setEndValue(1.0);
    fade_->start();
  } else {
    setWindowOpacity(1.0);
    show();
    const QPoint end = FinalPlace(mainWindow);
    const QPoint start(end.x(), WorkArea(mainWindow).bottom() + 1);
    move(start);
    slide_->setStartValue(start);
    slide_->setEndValue(end);
    slide_->start();
  }
  raise();
}

QRect UpdateNoticeWindow::WorkArea(const QWidget* mainWindow) const {
  QScreen* screen = mainWindow != nullptr ? mainWindow->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

QPoint UpdateNoticeWindow::FinalPlace(const QWidget* mainWindow) const {
  QRect frame(QPoint(), frameGeometry().size());
  if (OnScreen(mainWindow)) {
    frame.moveCenter(mainWindow->frameGeometry().center());
  } else {
    frame.moveBottomRight(WorkArea(mainWindow).bottomRight());
  }
  return frame.topLeft();
}

void UpdateNoticeWindow::SetText(const QString& text) {
  text_->setText(text);
}

void UpdateNoticeWindow::Dismiss() {
  if (!isVisible() || leaving_) return;
  StopAnimations();
  leaving_ = true;
  fade_->setStartValue(windowOpacity());
  fade_->setEndValue(0.0);
  fade_->start();
}

void UpdateNoticeWindow::Withdraw() {
  leaving_ = false;
  StopAnimations();
  hide();
}

void UpdateNoticeWindow::Settle() {
  for (QPropertyAnimation* animation : {slide_, fade_}) {
    if (animation->state() == QAbstractAnimation::Running) {
      animation->setCurrentTime(animation->duration());
    }
  }
}

bool UpdateNoticeWindow::Showing() const {
  return isVisible() && !leaving_;
}

void UpdateNoticeWindow::StopAnimations() {
  slide_->stop();
  fade_->stop();
}

void UpdateNoticeWindow::Answer(NoticeButton button) {
  if (leaving_) return;
  Dismiss();
  answered_(button);
}

void UpdateNoticeWindow::closeEvent(QCloseEvent* event) {
  // Closed by hand commits to nothing: "No" to a question; an information (the restart
  // after an install among them) just goes.
  event->ignore();
  if (!isVisible()) return;
  if (form_ == UpdateNotice::Form::kQuestion) {
    Answer(NoticeButton::kNo);
  } else {
    Dismiss();
  }
}

void UpdateNoticeWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace pacetta::ui
