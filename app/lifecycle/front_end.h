#pragma once
#include <string>

namespace pacetta {

// What the lifecycle needs from whoever runs the event loop: the desktop or the console.
// Every call may come from any thread except where noted.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Work is pending: call MainWindow::ProcessPending on the loop's thread soon.
  virtual void Wake() = 0;
  // Ends the loop (called on the loop's thread).
  virtual void Quit() = 0;
  // Shows the main window / raises it (called on the loop's thread).
  virtual void ShowWindow() = 0;
  virtual void BringToForeground() = 0;
  virtual bool WindowVisible() const = 0;
  // The window's caption, once the language is chosen (called on the loop's thread).
  virtual void SetCaption(const std::string& caption) = 0;
  // A line of information for the user (called on the loop's thread).
  virtual void Notice(const std::string& line) = 0;
};

}  // namespace pacetta
