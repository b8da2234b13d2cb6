#include "ui/desktop_front_end.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <algorithm>
#include <cstdio>

#include "platform/instance.h"
#include "ui/icons/tray_icons.h"
#include "ui/pages/page_catalogue.h"
#include "ui/tray/icon_pixmaps.h"

namespace pacetta::ui {
namespace {

constexpr int kProgramIcon = 200;

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

DesktopFrontEnd::DesktopFrontEnd(std::vector<PageRegistration> pages, WindowOptions options)
    : pages_(pages.empty() ? BuiltInPages() : std::move(pages)), options_(std::move(options)) {
  // A coarse timer may fire up to 5 % early, beyond what the refresh gate tolerates, and
  // a refresh would be skipped.
  refreshTimer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    if (window_) window_->OnRefreshTimer();
  });
}

DesktopFrontEnd::~DesktopFrontEnd() = default;

void DesktopFrontEnd::Wake() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (window_) window_->ProcessPending();
      },
      Qt::QueuedConnection);
}

void DesktopFrontEnd::Quit() {
  QApplication::quit();
}

void DesktopFrontEnd::ProgramReady(DesktopModel& model) {
  dialog_ = std::make_unique<MainDialog>(model, pages_, options_);
  if (!caption_.empty()) dialog_->setWindowTitle(QString::fromStdString(caption_));
  const QIcon programIcon = ToQIcon(icons::ProgramImage(kProgramIcon));
  QApplication::setWindowIcon(programIcon);
  dialog_->setWindowIcon(programIcon);
  dialog_->installEventFilter(this);
  tray_ = std::make_unique<Tray>(model, *dialog_, [this] { RequestClose(); });
  tray_->Show();
  if (windowBuilt_) windowBuilt_(*dialog_, model);
}

void DesktopFrontEnd::ProgramEnding() {
  if (tray_) tray_->Remove();
  if (dialog_) dialog_->End();
}

bool DesktopFrontEnd::eventFilter(QObject* watched, QEvent* event) {
  // Asked from other threads (a second instance's question): kept as a flag.
  if (watched == dialog_.get()) {
    if (event->type() == QEvent::Show) visible_ = true;
    if (event->type() == QEvent::Hide) visible_ = false;
  }
  return QObject::eventFilter(watched, event);
}

void DesktopFrontEnd::ShowWindow() {
  if (dialog_) dialog_->ShowWindow();
}

void DesktopFrontEnd::HideWindow() {
  if (dialog_) dialog_->hide();
}

void DesktopFrontEnd::BringToForeground() {
  if (!dialog_) return;
  if (dialog_->isMinimized()) dialog_->showNormal();
  dialog_->raise();
  dialog_->activateWindow();
}

void DesktopFrontEnd::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (dialog_) dialog_->setWindowTitle(QString::fromStdString(caption));
}

void DesktopFrontEnd::Notice(const std::string& line) {
  PrintLine(line);
}

void DesktopFrontEnd::StartRefreshTimer(std::chrono::milliseconds period) {
  refreshTimer_.start(static_cast<int>(std::max<int64_t>(period.count(), 1)));
}

void DesktopFrontEnd::StopRefreshTimer() {
  refreshTimer_.stop();
}

void DesktopFrontEnd::ShowBalloon(const std::string& title, const std::string& text,
                                  BalloonKind kind, std::chrono::milliseconds timeout) {
  if (tray_) tray_->ShowBalloon(title, text, kind, timeout);
  PrintLine(title + ": " + text);
}

void DesktopFrontEnd::ShowStatus(const std::string& /*line*/) {
  // A refresh has run: the tray and the page on screen show its values.
  if (tray_) tray_->Refresh();
  if (dialog_) dialog_->RefreshShownPage();
}

void DesktopFrontEnd::RequestClose() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        // A page's question on screen would hold the close until answered.
        if (dialog_) dialog_->CloseBoxes();
        if (window_) window_->OnPosted({platform::kWmClose, 0, 0});
      },
      Qt::QueuedConnection);
}

}  // namespace pacetta::ui
