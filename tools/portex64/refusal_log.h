#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace pacetta::portex {

using SteadyClock = std::chrono::steady_clock;

// At most `burst` messages in an interval that begins with the first message after the
// previous one ended; the others are counted. The time is passed in.
class RateLimit {
 public:
  RateLimit(unsigned burst, SteadyClock::duration interval) : burst_(burst), interval_(interval) {}
  // Whether a message at `now` may go out; one that may not is counted as held back.
  bool Admit(SteadyClock::time_point now);
  // Counts an admitted message that could not go out after all.
  void HoldBack() { ++current_; }
  // The messages held back in intervals that have ended by `now`, or in all of them with
  // `all`; they are reported once.
  uint64_t TakeHeldBack(SteadyClock::time_point now, bool all = false);
  // Whether some are held back in the current interval, to be reported at its end.
  bool Holding() const { return current_ > 0; }
  SteadyClock::time_point IntervalEnd() const { return end_; }

 private:
  void EndInterval();

  unsigned burst_;
  SteadyClock::duration interval_;
  bool open_ = false;
  SteadyClock::time_point end_{};
  unsigned sent_ = 0;
  uint64_t current_ = 0;  // held back in the open interval
  uint64_t ended_ = 0;    // held back in intervals that have ended, not reported yet
};

// The refusals of connections, reported on an output (standard error: the journal under
// a service manager, /dev/null once detached). A flood of them yields a few lines and a
// count ("N more refused connections not shown"). The lines are written by a thread of
// their own and only while the output takes them at once, so neither a flood nor an
// output that nobody reads (a full pipe) ever holds up the thread that accepts.
class RefusalLog {
 public:
  static constexpr unsigned kBurst = 10;
  static constexpr std::chrono::seconds kInterval{60};

  explicit RefusalLog(int output);
  // Reports what is still held back, as far as the output takes it without waiting.
  ~RefusalLog();
  RefusalLog(const RefusalLog&) = delete;
  RefusalLog& operator=(const RefusalLog&) = delete;

  void Refused(const std::string& line);

 private:
  void Write();
  bool Put(const std::string& line);

  int output_;
  std::mutex mutex_;
  std::condition_variable changed_;
  RateLimit limit_{kBurst, kInterval};
  std::deque<std::string> queue_;
  std::atomic<bool> stopping_{false};
  std::thread writer_;  // started with the first refusal: never before the helper detaches
};

}  // namespace pacetta::portex
