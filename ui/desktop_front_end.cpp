#include "ui/desktop_front_end.h"

#include <QApplication>
#include <QMetaObject>
#include <QVBoxLayout>

#include "platform/instance.h"

namespace pacetta::ui {

DesktopFrontEnd::DesktopFrontEnd()
    : status_(new QLabel(&dialog_)), log_(new QPlainTextEdit(&dialog_)) {
  dialog_.setObjectName("MainWindow");
  status_->setObjectName("Status");
  log_->setReadOnly(true);
  auto* layout = new QVBoxLayout(&dialog_);
  layout->addWidget(status_);
  layout->addWidget(log_);
  // A coarse timer may fire up to 5 % early, beyond what the refresh gate tolerates, and
  // a refresh would be skipped.
  refreshTimer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    if (window_) window_->OnRefreshTimer();
  });
  dialog_.resize(560, 360);
  // Closing the window ends the program in order, as the close message does.
  QObject::connect(&dialog_, &QDialog::rejected, this, [this] {
    visible_ = false;
    if (window_) window_->OnPosted({platform::kWmClose, 0, 0});
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

void DesktopFrontEnd::ShowWindow() {
  dialog_.show();
  visible_ = true;
}

void DesktopFrontEnd::BringToForeground() {
  dialog_.raise();
  dialog_.activateWindow();
}

void DesktopFrontEnd::SetCaption(const std::string& caption) {
  dialog_.setWindowTitle(QString::fromStdString(caption));
}

void DesktopFrontEnd::Notice(const std::string& line) {
  log_->appendPlainText(QString::fromStdString(line));
}

void DesktopFrontEnd::HideWindow() {
  dialog_.hide();
  visible_ = false;
}

void DesktopFrontEnd::StartRefreshTimer(std::chrono::milliseconds period) {
  refreshTimer_.start(static_cast<int>(std::max<int64_t>(period.count(), 1)));
}

void DesktopFrontEnd::StopRefreshTimer() {
  refreshTimer_.stop();
}

void DesktopFrontEnd::ShowBalloon(const std::string& title, const std::string& text,
                                  BalloonKind /*kind*/, std::chrono::milliseconds /*timeout*/) {
  // Until the tray shows balloons, they are lines of the window.
  log_->appendPlainText(QString::fromStdString(title + ": " + text));
}

void DesktopFrontEnd::ShowStatus(const std::string& line) {
  status_->setText(QString::fromStdString(line));
}

void DesktopFrontEnd::RequestClose() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (window_) window_->OnPosted({platform::kWmClose, 0, 0});
      },
      Qt::QueuedConnection);
}

}  // namespace pacetta::ui
