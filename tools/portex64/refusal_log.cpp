#include "tools/portex64/refusal_log.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace pacetta::portex {
namespace {

// Lines waiting for a slow output; beyond this they are only counted.
constexpr size_t kMaxQueued = 64;
// How often a writer that waits for its output looks whether the helper ends.
constexpr int kWritePollMs = 200;

std::string HeldBackLine(uint64_t count) {
  return "Portex64: " + std::to_string(count) + " more refused connections not shown\n";
}

}  // namespace

bool RateLimit::Admit(SteadyClock::time_point now) {
  if (open_ && now >= end_) EndInterval();
  if (!open_) {
    open_ = true;
    end_ = now + interval_;
    sent_ = 0;
  }
  if (sent_ < burst_) {
    ++sent_;
    return true;
  }
  ++current_;
  return false;
}

void RateLimit::EndInterval() {
  ended_ += current_;
  current_ = 0;
  open_ = false;
}

uint64_t RateLimit::TakeHeldBack(SteadyClock::time_point now, bool all) {
  if (open_ && (all || now >= end_)) EndInterval();
  const uint64_t count = ended_;
  ended_ = 0;
  return count;
}

RefusalLog::RefusalLog(int output) : output_(output) {}

RefusalLog::~RefusalLog() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void RefusalLog::Refused(const std::string& line) {
  {
    const std::lock_guard lock(mutex_);
    if (limit_.Admit(SteadyClock::now())) {
      if (queue_.size() < kMaxQueued) {
        queue_.push_back("Portex64: " + line + "\n");
      } else {
        limit_.HoldBack();  // the output has not taken the earlier ones yet
      }
    }
    if (!writer_.joinable()) writer_ = std::thread([this] { Write(); });
  }
  changed_.notify_all();
}

void RefusalLog::Write() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const bool stopping = stopping_;
    std::string text;
    if (!queue_.empty()) {
      text = std::move(queue_.front());
      queue_.pop_front();
    }
    // Held back in an interval that is over (at the end: all, after the last line).
    const bool last = stopping && queue_.empty();
    if (const uint64_t held = limit_.TakeHeldBack(SteadyClock::now(), last)) {
      text += HeldBackLine(held);
    }
    if (text.empty()) {
      if (stopping) return;
      if (limit_.Holding()) {
        changed_.wait_until(lock, limit_.IntervalEnd());
      } else {
        changed_.wait(lock);
      }
      continue;
    }
    lock.unlock();
    const bool put = Put(text);
    lock.lock();
    if (!put && stopping_) return;
  }
}

// Writes only when the output can take the line; gives up when the helper ends first.
bool RefusalLog::Put(const std::string& line) {
  size_t done = 0;
  while (done < line.size()) {
    pollfd entry{output_, POLLOUT, 0};
    const int ready = poll(&entry, 1, stopping_ ? 0 : kWritePollMs);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) {
      if (stopping_) return false;
      continue;
    }
    const ssize_t put = write(output_, line.data() + done, line.size() - done);
    if (put < 0 && errno != EINTR && errno != EAGAIN) return false;
    if (put > 0) done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace pacetta::portex
