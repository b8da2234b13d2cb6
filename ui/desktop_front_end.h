#pragma once
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/main_window.h"
#include "ui/tray/tray.h"
#include "ui/window/main_dialog.h"
#include "ui/window/page.h"

namespace pacetta::ui {

// The desktop front end: its event loop is Qt's, and once the program is ready its main
// window is the page window. Work that arrives on other threads is queued onto the loop.
// The program lives in the tray; notices, and balloons besides the tray's, are lines on
// the standard output.
class DesktopFrontEnd final : public QObject, public FrontEnd {
  Q_OBJECT
 public:
  // `pages`: the pages the window is built with; empty: the program's own.
  explicit DesktopFrontEnd(std::vector<PageRegistration> pages = {}, WindowOptions options = {});
  ~DesktopFrontEnd() override;

  void Attach(MainWindow* window) { window_ = window; }
  // The main window; null until the program is ready.
  MainDialog* Window() { return dialog_.get(); }
  // The tray; null until the program is ready.
  Tray* TrayIcons() { return tray_.get(); }
  // Runs once the main window is built (loop's thread), for tools that drive it.
  void OnWindowBuilt(std::function<void(MainDialog&, DesktopModel&)> callback) {
    windowBuilt_ = std::move(callback);
  }

  void Wake() override;
  void Quit() override;
  void ShowWindow() override;
  void HideWindow() override;
  void BringToForeground() override;
  bool WindowVisible() const override { return visible_.load(); }
  void SetCaption(const std::string& caption) override;
  void Notice(const std::string& line) override;
  void StartRefreshTimer(std::chrono::milliseconds period) override;
  void StopRefreshTimer() override;
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                   std::chrono::milliseconds timeout) override;
  void ShowStatus(const std::string& line) override;
  void ProgramReady(DesktopModel& model) override;
  void ProgramEnding() override;

  // Any thread: close the program in order (a box of a page on screen ends first).
  void RequestClose();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<PageRegistration> pages_;
  WindowOptions options_;
  QTimer refreshTimer_;
  std::string caption_;
  MainWindow* window_ = nullptr;
  std::function<void(MainDialog&, DesktopModel&)> windowBuilt_;
  std::atomic<bool> visible_{false};
  std::unique_ptr<MainDialog> dialog_;
  // After the window: its commands act on the window.
  std::unique_ptr<Tray> tray_;
};

}  // namespace pacetta::ui
