#pragma once
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <atomic>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/main_window.h"

namespace pacetta::ui {

// The desktop front end: a dialog window captioned with the product name whose event
// loop is Qt's. Work that arrives on other threads is queued onto the loop.
class DesktopFrontEnd final : public QObject, public FrontEnd {
  Q_OBJECT
 public:
  DesktopFrontEnd();
  ~DesktopFrontEnd() override;

  void Attach(MainWindow* window) { window_ = window; }
  QDialog& Dialog() { return dialog_; }

  void Wake() override;
  void Quit() override;
  void ShowWindow() override;
  void BringToForeground() override;
  bool WindowVisible() const override { return visible_.load(); }
  void SetCaption(const std::string& caption) override;
  void Notice(const std::string& line) override;
  void HideWindow() override;
  void StartRefreshTimer(std::chrono::milliseconds period) override;
  void StopRefreshTimer() override;
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                   std::chrono::milliseconds timeout) override;
  void ShowStatus(const std::string& line) override;

  // Any thread: close the program in order.
  void RequestClose();

 private:
  QDialog dialog_;
  QLabel* status_;
  QPlainTextEdit* log_;
  QTimer refreshTimer_;
  MainWindow* window_ = nullptr;
  std::atomic<bool> visible_{false};
};

}  // namespace pacetta::ui
