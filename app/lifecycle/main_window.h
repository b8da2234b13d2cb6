#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/lifecycle/front_end.h"
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

  void OnPosted(const platform::WindowMessage& message) override;
  int64_t OnSent(const platform::WindowMessage& message) override;
  bool IsVisible() override { return frontEnd_.WindowVisible(); }
  void Show() override;
  void BringToForeground() override;

  // Runs on the loop's thread: acts on everything that arrived.
  void ProcessPending();

  bool RestartRequested() const { return restartRequested_; }
  // Commands of a second instance that the engine will act on, in arrival order.
  std::vector<platform::WindowMessage> ReceivedCommands() const;

 private:
  void Dispatch(const platform::WindowMessage& message);
  void Enqueue(std::function<void()> work);

  FrontEnd& frontEnd_;
  std::unique_ptr<platform::PublishedWindow> published_;
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> pending_;
  std::vector<platform::WindowMessage> commands_;
  bool restartRequested_ = false;
  bool closing_ = false;
};

}  // namespace pacetta
