#include "app/lifecycle/main_window.h"

#include <cstdio>

#include "app/window_messages.h"

namespace pacetta {

MainWindow::~MainWindow() {
  Unpublish();
}

bool MainWindow::Publish(platform::Windows& windows, const std::string& caption) {
  published_ = windows.Publish(kMainWindowClass, caption, *this);
  return published_ != nullptr;
}

void MainWindow::Unpublish() {
  published_.reset();
}

void MainWindow::Enqueue(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(work));
  }
  frontEnd_.Wake();
}

void MainWindow::OnPosted(const platform::WindowMessage& message) {
  Enqueue([this, message] { Dispatch(message); });
}

int64_t MainWindow::OnSent(const platform::WindowMessage& /*message*/) {
  // No synchronous request is understood yet: the default answer of a window.
  return 0;
}

void MainWindow::Show() {
  Enqueue([this] { frontEnd_.ShowWindow(); });
}

void MainWindow::BringToForeground() {
  Enqueue([this] { frontEnd_.BringToForeground(); });
}

void MainWindow::ProcessPending() {
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty() || closing_) return;
      work = std::move(pending_.front());
      pending_.pop_front();
    }
    work();
  }
}

std::vector<platform::WindowMessage> MainWindow::ReceivedCommands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void MainWindow::Dispatch(const platform::WindowMessage& message) {
  char line[96];
  switch (message.message) {
    case platform::kWmClose: {
      std::lock_guard lock(mutex_);
      closing_ = true;
      break;
    }
    case kMsgRestart:
      restartRequested_ = true;
      {
        std::lock_guard lock(mutex_);
        closing_ = true;
      }
      break;
    case kMsgSetProfile:
    case kMsgResume:
    case kMsgShow: {
      std::lock_guard lock(mutex_);
      commands_.push_back(message);
      break;
    }
    default:
      return;  // not a message of this window
  }
  if (closing_) {
    frontEnd_.Quit();
    return;
  }
  std::snprintf(line, sizeof line, "Received message 0x%04X wParam 0x%X lParam %d", message.message,
                message.wParam, message.lParam);
  frontEnd_.Notice(line);
}

}  // namespace pacetta
