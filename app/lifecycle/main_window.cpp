#include "app/lifecycle/main_window.h"

#include "app/window_messages.h"

namespace pacetta {
namespace {

// How long a sender waits for its answer: far beyond any refresh, short enough that a
// hung window never hangs another process for good.
constexpr std::chrono::milliseconds kSentAnswerBound{10000};

}  // namespace

MainWindow::~MainWindow() {
  Unpublish();
}

bool MainWindow::Publish(platform::Windows& windows, const std::string& caption) {
  {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
  }
  published_ = windows.Publish(kMainWindowClass, caption, *this);
  return published_ != nullptr;
}

void MainWindow::Unpublish() {
  published_.reset();
}

void MainWindow::Attach(WindowProgram* program) {
  program_ = program;
}

bool MainWindow::Closed() const {
  std::lock_guard lock(mutex_);
  return closing_;
}

bool MainWindow::OnLoopThread() const {
  std::lock_guard lock(mutex_);
  return loopThread_ == std::this_thread::get_id();
}

void MainWindow::Post(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    if (closing_) return;
    pending_.push_back(std::move(work));
  }
  frontEnd_.Wake();
}

bool MainWindow::RunOnLoop(const std::function<void()>& work, std::chrono::milliseconds bound) {
  if (OnLoopThread()) {
    if (Closed()) return false;
    work();
    return true;
  }
  // The flag lives in the queued work, so a late run after a timeout touches nothing of
  // the waiter's.
  auto done = std::make_shared<bool>(false);
  {
    std::lock_guard lock(mutex_);
    if (closing_) return false;
    pending_.push_back([this, work, done] {
      work();
      std::lock_guard inner(mutex_);
      *done = true;
      ran_.notify_all();
    });
  }
  frontEnd_.Wake();
  std::unique_lock lock(mutex_);
  ran_.wait_for(lock, bound, [&] { return *done || closing_; });
  return *done;
}

void MainWindow::OnPosted(const platform::WindowMessage& message) {
  Post([this, message] { Dispatch(message); });
}

int64_t MainWindow::OnSent(const platform::WindowMessage& message) {
  // Shared with the queued work: after a timeout it may still run and write it.
  auto answer = std::make_shared<int64_t>(0);
  const bool ran = RunOnLoop(
      [this, answer, message] {
        if (program_) *answer = program_->OnSent(message);
      },
      kSentAnswerBound);
  // Only a finished run is ordered before this read.
  return ran ? *answer : 0;
}

void MainWindow::Show() {
  Post([this] { frontEnd_.ShowWindow(); });
}

void MainWindow::BringToForeground() {
  Post([this] { frontEnd_.BringToForeground(); });
}

void MainWindow::ProcessPending() {
  {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
  }
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

void MainWindow::OnRefreshTimer() {
  if (program_ && !Closed()) program_->OnRefreshTimer();
}

void MainWindow::Close() {
  if (program_) program_->Shutdown();
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    pending_.clear();
  }
  ran_.notify_all();
  frontEnd_.Quit();
}

void MainWindow::Dispatch(const platform::WindowMessage& message) {
  switch (message.message) {
    case platform::kWmClose:
      Close();
      return;
    case kMsgRestart:
      // The close comes as a message of its own, after what is already queued.
      restartRequested_ = true;
      OnPosted({platform::kWmClose, 0, 0});
      return;
    default:
      if (program_) program_->OnPosted(message);
      return;
  }
}

}  // namespace pacetta
