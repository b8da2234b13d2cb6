#pragma once
#include <chrono>
#include <string>

namespace pacetta {

class DesktopModel;

// The icon a balloon carries.
enum class BalloonKind { kInformation, kWarning, kError };

// What the lifecycle needs from whoever runs the event loop: the desktop or the console.
// Every call may come from any thread except where noted.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Work is pending: call MainWindow::ProcessPending on the loop's thread soon.
  virtual void Wake() = 0;
  // Ends the loop (called on the loop's thread).
  virtual void Quit() = 0;
  // Shows, hides and raises the main window (called on the loop's thread).
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void BringToForeground() = 0;
  virtual bool WindowVisible() const = 0;
  // The window's caption, once the language is chosen (called on the loop's thread).
  virtual void SetCaption(const std::string& caption) = 0;
  // A line of information for the user (called on the loop's thread).
  virtual void Notice(const std::string& line) = 0;

  // The refresh timer (loop's thread): from now on call MainWindow::OnRefreshTimer on the
  // loop's thread every `period`, until StopRefreshTimer.
  virtual void StartRefreshTimer(std::chrono::milliseconds period) = 0;
  virtual void StopRefreshTimer() = 0;
  // A balloon of the tray (loop's thread).
  virtual void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                           std::chrono::milliseconds timeout) = 0;
  // The values of the latest refresh, as one line (loop's thread).
  virtual void ShowStatus(const std::string& line) = 0;
  // The program is initialised (loop's thread): the desktop builds its window and pages
  // on `model`, which lives until the orderly shutdown; the console has nothing to build.
  virtual void ProgramReady(DesktopModel& /*model*/) {}
  // The orderly end, right before the settings are saved (loop's thread): the desktop's
  // window hands its state (position, collapse, page) to the model with
  // DesktopModel::SetWindowSettings, its pages store theirs, and from then on nothing of
  // the desktop touches the model.
  virtual void ProgramEnding() {}
};

}  // namespace pacetta
