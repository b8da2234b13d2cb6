#include "platform/linux/logind_sleep.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/linux/bus_deadline.h"

namespace pacetta::linux_os {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

struct BusClose {
  // No flush: a peer that stops reading must not hold up the stop.
  void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct SlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusPtr = std::unique_ptr<sd_bus, BusClose>;
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

// One connection to the system bus, used only on the watching thread. Calls are
// asynchronous, so the thread's wait covers every reply and a stop is never held up
// by a slow bus.
class SleepBusSession {
 public:
  explicit SleepBusSession(const LogindSleepHandlers& handlers) : handlers_(handlers) {}
  // Slots go before the bus they belong to.
  ~SleepBusSession() {
    inhibitCall_.reset();
    match_.reset();
  }
  SleepBusSession(const SleepBusSession&) = delete;
  SleepBusSession& operator=(const SleepBusSession&) = delete;

  // Connects, asks for the sleep signal and for the first lock. The match goes first:
  // the bus handles one connection's messages in order, so no announcement can slip in
  // between taking the lock and listening.
  bool Start() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) return false;
    bus_.reset(bus);
    sd_bus_slot* match = nullptr;
    if (sd_bus_match_signal_async(bus_.get(), &match, kService, kPath, kManager, "PrepareForSleep",
                                  &SleepBusSession::OnPrepareForSleep,
                                  &SleepBusSession::OnMatchInstalled, this) < 0) {
      return false;
    }
    match_.reset(match);
    RequestLock();
    return true;
  }

  // Handles whatever has arrived, then waits for the bus or for `wake`. False when the
  // connection is gone.
  bool Turn(int wake, bool& stop) {
    int processed = 0;
    while ((processed = sd_bus_process(bus_.get(), nullptr)) > 0) {
    }
    if (processed < 0 || sd_bus_is_open(bus_.get()) <= 0) return false;
    const int events = sd_bus_get_events(bus_.get());
    if (events < 0) return false;
    uint64_t deadline = UINT64_MAX;
    if (sd_bus_get_timeout(bus_.get(), &deadline) < 0) deadline = UINT64_MAX;
    pollfd fds[2] = {{sd_bus_get_fd(bus_.get()), static_cast<short>(events), 0}, {wake, POLLIN, 0}};
    if (poll(fds, 2, MillisecondsUntil(deadline)) < 0 && errno != EINTR) return false;
    stop = fds[1].revents != 0;
    return true;
  }

 private:
  // A new "delay" lock for the coming sleep; a request still unanswered is dropped.
  void RequestLock() {
    inhibitCall_.reset();
    sd_bus_slot* call = nullptr;
    if (sd_bus_call_method_async(bus_.get(), &call, kService, kPath, kManager, "Inhibit",
                                 &SleepBusSession::OnInhibitReply, this, "ssss", "sleep",
                                 "Tarvello", "Processor state is set for sleep", "delay") >= 0) {
      inhibitCall_.reset(call);
    }
  }

  static int OnInhibitReply(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto& session = *static_cast<SleepBusSession*>(self);
    // No login manager or no permission: sleeps just are not delayed.
    if (sd_bus_message_is_method_error(reply, nullptr)) return 0;
    int fd = -1;
    if (sd_bus_message_read(reply, "h", &fd) < 0) return 0;
    // The message owns its descriptor; keep a copy of our own.
    session.lock_ = UniqueFd(fcntl(fd, F_DUPFD_CLOEXEC, 3));
    return 0;
  }

  static int OnMatchInstalled(sd_bus_message*, void*, sd_bus_error*) {
    // A refused match only means no announcements; the connection stays useful.
    return 0;
  }

  static int OnPrepareForSleep(sd_bus_message* signal, void* self, sd_bus_error*) {
    auto& session = *static_cast<SleepBusSession*>(self);
    int sleeping = 0;
    if (sd_bus_message_read(signal, "b", &sleeping) < 0) return 0;
    // Each sleep is announced once before and once after; repeats change nothing.
    if (sleeping && session.awake_) {
      session.awake_ = false;
      session.inhibitCall_.reset();  // a lock granted now would hold up this very sleep
      if (session.handlers_.suspending) session.handlers_.suspending(std::move(session.lock_));
      session.lock_ = UniqueFd();
    } else if (!sleeping && !session.awake_) {
      session.awake_ = true;
      session.RequestLock();
      if (session.handlers_.resumed) session.handlers_.resumed();
    }
    return 0;
  }

  const LogindSleepHandlers& handlers_;
  BusPtr bus_;
  SlotPtr match_;
  SlotPtr inhibitCall_;
  UniqueFd lock_;
  bool awake_ = true;
};

}  // namespace

LogindSleepWatch::LogindSleepWatch(LogindSleepHandlers handlers)
    : handlers_(std::move(handlers)), wake_(eventfd(0, EFD_CLOEXEC)) {
  if (wake_.Valid()) {
    thread_ = std::thread([this] { Run(); });
  } else if (handlers_.ended) {
    handlers_.ended();
  }
}

LogindSleepWatch::~LogindSleepWatch() {
  if (!thread_.joinable()) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_.Get(), &one, sizeof one);
  thread_.join();
}

void LogindSleepWatch::Run() {
  SleepBusSession session(handlers_);
  bool stop = false;
  if (session.Start()) {
    while (!stop && session.Turn(wake_.Get(), stop)) {
    }
  }
  if (handlers_.ended) handlers_.ended();
}

}  // namespace pacetta::linux_os
