#pragma once
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/main_window.h"

namespace pacetta {

// The event loop without a display: lines on standard output, the window "visible"
// from the start (its lines are what the user sees).
class ConsoleFrontEnd final : public FrontEnd {
 public:
  explicit ConsoleFrontEnd(std::FILE* out = stdout) : out_(out) {}

  // Runs until Quit; acts on the window's messages as they arrive.
  void Run(MainWindow& window);
  // Asks the loop to end from any thread (Ctrl-C, SIGTERM).
  void RequestClose();

  void Wake() override;
  void Quit() override;
  void ShowWindow() override {}
  void BringToForeground() override {}
  bool WindowVisible() const override { return true; }
  void SetCaption(const std::string&) override {}
  void Notice(const std::string& line) override;

 private:
  std::FILE* out_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;
  bool quit_ = false;
  bool closeRequested_ = false;
};

}  // namespace pacetta
