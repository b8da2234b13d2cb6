#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/window_program.h"
#include "platform/instance.h"

namespace pacetta {

// The main window without its widgets: it owns the window's identity (so a second
// instance finds it), receives messages on any thread, and acts on them on the loop's
// thread in the order they came.
class MainWindow final : public platform::WindowHandler {
 public:
  explicit MainWindow(FrontEnd& frontEnd) : frontEnd_(frontEnd) {}
  ~MainWindow() override;

  // Makes the window findable under `caption`; false when that fails.
  bool Publish(platform::Windows& windows, const std::string& caption);
  // Drops the identity, so no message arrives any more.
  void Unpublish();
  // From now on the window's messages act on `program` (null: none does).
  void Attach(WindowProgram* program);

  void OnPosted(const platform::WindowMessage& message) override;
  // Answered on the loop's thread; 0 when the window closes first or does not answer
  // within a generous bound.
  int64_t OnSent(const platform::WindowMessage& message) override;
  bool IsVisible() override { return frontEnd_.WindowVisible(); }
  void Show() override;
  void BringToForeground() override;

  // Runs `work` on the loop's thread, in order with the messages.
  void Post(std::function<void()> work);
  // Runs `work` on the loop's thread and waits for it, at most `bound`; runs it at once
  // when called on the loop's thread. False when it did not run (the window closed).
  bool RunOnLoop(const std::function<void()>& work, std::chrono::milliseconds bound);

  // Runs on the loop's thread: acts on everything that arrived.
  void ProcessPending();
  // The loop's refresh timer fired.
  void OnRefreshTimer();

  bool RestartRequested() const { return restartRequested_; }
  bool Closed() const;

 private:
  void Dispatch(const platform::WindowMessage& message);
  void Close();
  bool OnLoopThread() const;

  FrontEnd& frontEnd_;
  WindowProgram* program_ = nullptr;
  std::unique_ptr<platform::PublishedWindow> published_;
  mutable std::mutex mutex_;
  std::condition_variable ran_;  // a waited-for piece of work ran, or the window closed
  std::deque<std::function<void()>> pending_;
  std::thread::id loopThread_;
  bool restartRequested_ = false;
  bool closing_ = false;
};

}  // namespace pacetta
