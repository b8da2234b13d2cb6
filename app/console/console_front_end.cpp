#include "app/console/console_front_end.h"

#include <utility>

namespace pacetta {

void ConsoleFrontEnd::Run(MainWindow& window) {
  for (;;) {
    bool close = false;
    bool tick = false;
    {
      std::unique_lock lock(mutex_);
      const auto ready = [this] { return pending_ || quit_ || closeRequested_; };
      if (period_) {
        wake_.wait_until(lock, nextTick_, ready);
      } else {
        wake_.wait(lock, ready);
      }
      if (quit_) return;
      close = std::exchange(closeRequested_, false);
      pending_ = false;
      const auto now = std::chrono::steady_clock::now();
      if (period_ && now >= nextTick_) {
        tick = true;
        // The next tick keeps its rhythm; after a long stall it starts again from now.
        nextTick_ += *period_;
        if (nextTick_ <= now) nextTick_ = now + *period_;
      }
    }
    if (close) window.OnPosted({platform::kWmClose, 0, 0});
    window.ProcessPending();
    if (tick) window.OnRefreshTimer();
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

void ConsoleFrontEnd::ShowWindow() {
  std::lock_guard lock(mutex_);
  visible_ = true;
}

void ConsoleFrontEnd::HideWindow() {
  std::lock_guard lock(mutex_);
  visible_ = false;
}

bool ConsoleFrontEnd::WindowVisible() const {
  std::lock_guard lock(mutex_);
  return visible_;
}

void ConsoleFrontEnd::StartRefreshTimer(std::chrono::milliseconds period) {
  std::lock_guard lock(mutex_);
  period_ = std::max(period, std::chrono::milliseconds(1));
  nextTick_ = std::chrono::steady_clock::now() + *period_;
}

void ConsoleFrontEnd::StopRefreshTimer() {
  std::lock_guard lock(mutex_);
  period_.reset();
}

void ConsoleFrontEnd::Print(const std::string& line) {
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

void ConsoleFrontEnd::Notice(const std::string& line) {
  Print(line);
}

void ConsoleFrontEnd::ShowBalloon(const std::string& title, const std::string& text,
                                  BalloonKind kind, std::chrono::milliseconds /*timeout*/) {
  const char* mark = kind == BalloonKind::kError     ? "[error] "
                     : kind == BalloonKind::kWarning ? "[warning] "
                                                     : "[info] ";
  // One line per balloon: the text's own line breaks become "; ".
  std::string flat;
  for (char c : text) {
    if (c == '\n') {
      flat += "; ";
    } else {
      flat.push_back(c);
    }
  }
  Print(mark + title + ": " + flat);
}

void ConsoleFrontEnd::ShowStatus(const std::string& line) {
  Print(line);
}

}  // namespace pacetta
