#pragma once
#include <QDialog>
#include <QPlainTextEdit>
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

  // Any thread: close the program in order.
  void RequestClose();

 private:
  QDialog dialog_;
  QPlainTextEdit* log_;
  MainWindow* window_ = nullptr;
  std::atomic<bool> visible_{false};
};

}  // namespace pacetta::ui
