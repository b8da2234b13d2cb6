#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/main_window.h"

namespace pacetta {

// The event loop without a display: lines on standard output, the window "visible"
// from the start (its lines are what the user sees). Status lines carry the refresh's
// values; balloons and notices are lines of their own.
class ConsoleFrontEnd final : public FrontEnd {
 public:
  explicit ConsoleFrontEnd(std::FILE* out = stdout) : out_(out) {}

  // Runs until Quit; acts on the window's messages and its refresh timer.
  void Run(MainWindow& window);
  // Asks the loop to end from any thread (Ctrl-C, SIGTERM).
  void RequestClose();

  void Wake() override;
  void Quit() override;
  void ShowWindow() override;
  void HideWindow() override;
  void BringToForeground() override {}
  bool WindowVisible() const override;
  void SetCaption(const std::string&) override {}
  void Notice(const std::string& line) override;
  void StartRefreshTimer(std::chrono::milliseconds period) override;
  void StopRefreshTimer() override;
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                   std::chrono::milliseconds timeout) override;
  void ShowStatus(const std::string& line) override;

 private:
  void Print(const std::string& line);

  std::FILE* out_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;
  bool quit_ = false;
  bool closeRequested_ = false;
  bool visible_ = true;
  std::optional<std::chrono::milliseconds> period_;
  std::chrono::steady_clock::time_point nextTick_{};
};

}  // namespace pacetta
