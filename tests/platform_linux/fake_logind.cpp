#include "tests/platform_linux/fake_logind.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <utility>

#include "platform/linux/bus_deadline.h"

namespace pacetta::testing {
namespace {

using linux_os::MillisecondsUntil;

constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

// Everything allowed: the tests are the only clients.
void WriteBusConfig(const std::string& file, BusKind kind, const std::string& socket) {
  std::ofstream(file) << "<busconfig>\n"
                         "  <type>"
                      << (kind == BusKind::kSystem ? "system" : "session")
                      << "</type>\n"
                         "  <listen>unix:path="
                      << socket
                      << "</listen>\n"
                         "  <auth>EXTERNAL</auth>\n"
                         "  <policy context=\"default\">\n"
                         "    <allow user=\"*\"/>\n"
                         "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                         "    <allow eavesdrop=\"true\"/>\n"
                         "    <allow own=\"*\"/>\n"
                         "  </policy>\n"
                         "</busconfig>\n";
}

}  // namespace

PrivateBus::PrivateBus(BusKind kind) {
  const std::string config = folder_.File("bus.conf");
  WriteBusConfig(config, kind, folder_.File("bus_socket"));
  daemon_.emplace(std::vector<std::string>{"dbus-daemon", "--config-file=" + config,
                                           "--print-address", "--nofork"},
                  folder_.File("daemon.log"));
  address_ = daemon_->Report();
  if (address_.empty()) return;
  env_.emplace(kind == BusKind::kSystem ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
               address_);
}

void PrivateBus::Stop() {
  daemon_->Stop();
}

FakeLogind::FakeLogind(bool grantLocks) : grantLocks_(grantLocks), wake_(eventfd(0, EFD_CLOEXEC)) {
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) return;
  bus_.reset(bus);
  if (sd_bus_request_name(bus, "org.freedesktop.login1", 0) < 0) return;
  sd_bus_slot* object = nullptr;
  if (sd_bus_add_object(bus, &object, kPath, &FakeLogind::OnCall, this) < 0) return;
  object_.reset(object);
  thread_ = std::thread([this] { Serve(); });
}

FakeLogind::~FakeLogind() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_.Get(), &one, sizeof one);
  thread_.join();
}

void FakeLogind::AnnounceSleep(bool sleeping) {
  {
    std::lock_guard lock(mutex_);
    announcements_.push_back(sleeping);
  }
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_.Get(), &one, sizeof one);
}

std::vector<FakeLogind::Request> FakeLogind::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool FakeLogind::WaitRequests(size_t count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kBusBound, [&] { return requests_.size() >= count; });
}

bool FakeLogind::LockHeld(size_t index) {
  std::lock_guard lock(mutex_);
  if (index >= lockEnds_.size()) return false;
  // Nobody writes to a lock: the far end turns readable only when it is closed.
  pollfd end{lockEnds_[index].Get(), POLLIN, 0};
  return poll(&end, 1, 0) == 0;
}

bool FakeLogind::WaitLockClosed(size_t index) {
  int fd = -1;
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kBusBound, [&] { return lockEnds_.size() > index; })) return false;
    fd = lockEnds_[index].Get();
  }
  pollfd end{fd, POLLIN, 0};
  const int timeoutMs = static_cast<int>(std::chrono::milliseconds(kBusBound).count());
  return poll(&end, 1, timeoutMs) == 1;
}

void FakeLogind::SetPowerVerdict(std::string verdict) {
  std::lock_guard lock(mutex_);
  powerVerdict_ = std::move(verdict);
}

void FakeLogind::BlockPowerRequests() {
  std::lock_guard lock(mutex_);
  powerBlocked_ = true;
}

std::vector<FakeLogind::PowerCall> FakeLogind::TakePowerCalls() {
  std::lock_guard lock(mutex_);
  return std::exchange(powerCalls_, {});
}

int FakeLogind::OnCall(sd_bus_message* call, void* self, sd_bus_error*) {
  auto& fake = *static_cast<FakeLogind*>(self);
  if (sd_bus_message_is_method_call(call, kManager, "Inhibit") > 0) return fake.AnswerInhibit(call);
  return fake.AnswerPower(call);
}

int FakeLogind::AnswerPower(sd_bus_message* call) {
  if (sd_bus_message_is_method_call(call, kManager, nullptr) <= 0) return 0;
  const std::string method = sd_bus_message_get_member(call);
  const bool question =
      method == "CanSuspend" || method == "CanHibernate" || method == "CanPowerOff";
  const bool request = method == "Suspend" || method == "Hibernate" || method == "PowerOff";
  if (!question && !request) return 0;
  int interactive = 0;
  if (request && sd_bus_message_read(call, "b", &interactive) < 0) return 0;
  std::string verdict;
  bool blocked = false;
  {
    std::lock_guard lock(mutex_);
    powerCalls_.push_back({method, interactive != 0});
    verdict = powerVerdict_;
    blocked = powerBlocked_;
  }
  if (question) return sd_bus_reply_method_return(call, "s", verdict.c_str());
  if (blocked) {
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED,
                                      "Operation inhibited by a blocking lock");
  }
  return sd_bus_reply_method_return(call, "");
}

int FakeLogind::AnswerInhibit(sd_bus_message* call) {
  const char* what = nullptr;
  const char* who = nullptr;
  const char* why = nullptr;
  const char* mode = nullptr;
  if (sd_bus_message_read(call, "ssss", &what, &who, &why, &mode) < 0) return 0;
  Request request{what, who, why, mode};
  if (!grantLocks_) {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(std::move(request));
    }
    changed_.notify_all();
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED, "Permission denied");
  }
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return -errno;
  linux_os::UniqueFd farEnd(ends[0]);
  const linux_os::UniqueFd granted(ends[1]);  // the reply carries its own copy
  const int replied = sd_bus_reply_method_return(call, "h", granted.Get());
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    lockEnds_.push_back(std::move(farEnd));
  }
  changed_.notify_all();
  return replied;
}

void FakeLogind::Serve() {
  sd_bus* bus = bus_.get();
  for (;;) {
    while (sd_bus_process(bus, nullptr) > 0) {
    }
    std::deque<bool> due;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      due.swap(announcements_);
    }
    for (const bool sleeping : due) {
      sd_bus_emit_signal(bus, kPath, kManager, "PrepareForSleep", "b", static_cast<int>(sleeping));
    }
    const int events = sd_bus_get_events(bus);
    if (events < 0) return;
    uint64_t deadline = UINT64_MAX;
    if (sd_bus_get_timeout(bus, &deadline) < 0) deadline = UINT64_MAX;
    pollfd fds[2] = {{sd_bus_get_fd(bus), static_cast<short>(events), 0}, {wake_.Get(), POLLIN, 0}};
    if (poll(fds, 2, MillisecondsUntil(deadline)) < 0 && errno != EINTR) return;
    if (fds[1].revents) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = read(wake_.Get(), &count, sizeof count);
    }
  }
}

}  // namespace pacetta::testing
