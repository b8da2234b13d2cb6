#include "platform/linux/power_watch.h"

#include <time.h>

#include <utility>

namespace pacetta::linux_os {
namespace {

std::optional<int64_t> Nanoseconds(clockid_t clock) {
  timespec now{};
  if (clock_gettime(clock, &now) != 0) return std::nullopt;
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// CLOCK_BOOTTIME counts the time suspended, CLOCK_MONOTONIC does not; both are slewed
// alike, so their difference moves only across a suspend.
std::optional<int64_t> SystemSleptNs() {
  const auto boot = Nanoseconds(CLOCK_BOOTTIME);
  const auto monotonic = Nanoseconds(CLOCK_MONOTONIC);
  if (!boot || !monotonic) return std::nullopt;
  return *boot - *monotonic;
}

bool SameSource(const platform::PowerStatus& a, const platform::PowerStatus& b) {
  return a.acLine == b.acLine && a.batteryFlag == b.batteryFlag;
}

}  // namespace

// The login manager's watch, running while at least one subscription lives. Shared
// with the subscriptions, which may outlive the power object.
struct LogindWatchHolder {
  std::mutex mutex;
  int listeners = 0;
  // Null once the power object is gone.
  std::function<std::unique_ptr<LogindSleepWatch>()> start;
  std::unique_ptr<LogindSleepWatch> watch;

  void Joined() {
    std::lock_guard lock(mutex);
    if (++listeners == 1 && start) watch = start();
  }
  void Left() {
    std::lock_guard lock(mutex);
    // A lock handed over with a sleep notice stays with that notice until delivered.
    if (--listeners == 0) watch.reset();
  }
  void Close() {
    std::lock_guard lock(mutex);
    start = nullptr;
    watch.reset();
  }
};

namespace {

// A listener's subscription that also counts it for the login manager's watch.
class CountedSubscription final : public platform::PowerSubscription {
 public:
  CountedSubscription(std::unique_ptr<platform::PowerSubscription> inner,
                      std::shared_ptr<LogindWatchHolder> holder)
      : inner_(std::move(inner)), holder_(std::move(holder)) {
    holder_->Joined();
  }
  ~CountedSubscription() override {
    inner_.reset();
    holder_->Left();
  }
  CountedSubscription(const CountedSubscription&) = delete;
  CountedSubscription& operator=(const CountedSubscription&) = delete;

 private:
  std::unique_ptr<platform::PowerSubscription> inner_;
  std::shared_ptr<LogindWatchHolder> holder_;
};

}  // namespace

LinuxPower::LinuxPower(PowerWatchOptions options)
    : options_(std::move(options)), sleepWatch_(std::make_shared<LogindWatchHolder>()) {
  if (!options_.sleptNs) options_.sleptNs = SystemSleptNs;
  if (options_.pollInterval <= std::chrono::milliseconds(0)) {
    options_.pollInterval = PowerWatchOptions{}.pollInterval;
  }
  if (options_.watchLogind) sleepWatch_->start = [this] { return StartSleepWatch(); };
}

LinuxPower::~LinuxPower() {
  // The watch posts to the notice queue: it stops first.
  sleepWatch_->Close();
  if (thread_.joinable()) {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
  }
}

std::optional<platform::PowerStatus> LinuxPower::Status() {
  return ReadPowerSupplies(options_.root);
}

std::unique_ptr<platform::PowerSubscription> LinuxPower::Subscribe(
    platform::PowerListener& listener) {
  auto subscription =
      std::make_unique<CountedSubscription>(notices_.Subscribe(listener), sleepWatch_);
  std::lock_guard lock(threadMutex_);
  if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
  return subscription;
}

std::unique_ptr<LogindSleepWatch> LinuxPower::StartSleepWatch() {
  LogindSleepHandlers handlers;
  handlers.suspending = [this](UniqueFd delayLock) { OnAnnouncedSleep(std::move(delayLock)); };
  handlers.resumed = [this] { OnAnnouncedWake(); };
  handlers.ended = [this] { OnSleepWatchEnded(); };
  return std::make_unique<LogindSleepWatch>(std::move(handlers));
}

void LinuxPower::OnAnnouncedSleep(UniqueFd delayLock) {
  std::lock_guard lock(pollMutex_);
  announcedSleep_ = true;
  // The system sleeps once the lock closes: after every listener has returned. A
  // notice dropped undelivered closes it too, with its closure.
  auto held = std::make_shared<UniqueFd>(std::move(delayLock));
  notices_.Post(platform::PowerNotice::kSuspending, [held] { held->Reset(); });
}

void LinuxPower::OnAnnouncedWake() {
  std::lock_guard lock(pollMutex_);
  if (!announcedSleep_) return;
  announcedSleep_ = false;
  // This sleep's gap of the sleep clock is accounted for: start from here.
  if (const auto slept = options_.sleptNs()) lastSlept_ = slept;
  notices_.Post(platform::PowerNotice::kResumed);
}

void LinuxPower::OnSleepWatchEnded() {
  // No wake announcement will come: the sleep clock, still measured from before the
  // sleep, tells of the resume at the next look.
  std::lock_guard lock(pollMutex_);
  announcedSleep_ = false;
}

void LinuxPower::PollOnce() {
  std::lock_guard lock(pollMutex_);
  const auto slept = options_.sleptNs();
  const auto status = Status();
  if (looked_) {
    if (!announcedSleep_ && slept && lastSlept_ &&
        *slept - *lastSlept_ >=
            std::chrono::duration_cast<std::chrono::nanoseconds>(options_.shortestSleep).count()) {
      notices_.Post(platform::PowerNotice::kResumed);
    }
    if (status && lastStatus_ && !SameSource(*status, *lastStatus_)) {
      notices_.Post(platform::PowerNotice::kStatusChanged);
    }
  }
  looked_ = true;
  // A failed look keeps the last good values to compare the next one with.
  // During an announced sleep the baseline stays, in case the wake is never announced.
  if (slept && !announcedSleep_) lastSlept_ = slept;
  if (status) lastStatus_ = status;
}

void LinuxPower::Watch(std::stop_token stop) {
  std::unique_lock lock(threadMutex_);
  while (!stop.stop_requested()) {
    lock.unlock();
    PollOnce();
    lock.lock();
    wake_.wait_for(lock, stop, options_.pollInterval, [] { return false; });
  }
}

}  // namespace pacetta::linux_os
