#include "app/console/console_front_end.h"

#include <utility>

namespace pacetta {

void ConsoleFrontEnd::Run(MainWindow& window) {
  for (;;) {
    bool close = false;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return pending_ || quit_ || closeRequested_; });
      if (quit_) return;
      close = std::exchange(closeRequested_, false);
      pending_ = false;
    }
    if (close) {
      window.OnPosted({platform::kWmClose, 0, 0});
    }
    window.ProcessPending();
  }
}

void ConsoleFrontEnd::RequestClose() {
  {
    std::lock_guard lock(mutex_);
    closeRequested_ = true;
  }
  wake_.notify_all();
}

void ConsoleFrontEnd::Wake() {
  {
    std::lock_guard lock(mutex_);
    pending_ = true;
  }
  wake_.notify_all();
}

void ConsoleFrontEnd::Quit() {
  std::lock_guard lock(mutex_);
  quit_ = true;
}

void ConsoleFrontEnd::Notice(const std::string& line) {
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

}  // namespace pacetta
