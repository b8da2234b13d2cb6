#include "tests/platform_linux/fake_logind.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>

#include "platform/linux/bus_deadline.h"

namespace pacetta::testing {
namespace {

using linux_os::MillisecondsUntil;

constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

// Everything allowed: the tests are the only clients.
void WriteBusConfig(const std::string& file, const std::string& socket) {
  std::ofstream(file) << "<busconfig>\n"
                         "  <type>system</type>\n"
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

// The first line `fd` gives within the bound, without its line end.
std::string ReadLine(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + kBusBound;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 1000) < 0 && errno != EINTR) break;
    if (!ready.revents) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return {};
}

}  // namespace

PrivateSystemBus::PrivateSystemBus() {
  const std::string config = folder_.File("bus.conf");
  WriteBusConfig(config, folder_.File("system_bus_socket"));
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  linux_os::UniqueFd readEnd(out[0]);
  linux_os::UniqueFd writeEnd(out[1]);

  // Everything the child needs is made before the fork: it may only make system calls.
  const std::string log = folder_.File("daemon.log");
  std::string configArg = "--config-file=" + config;
  char program[] = "dbus-daemon";
  char printAddress[] = "--print-address";
  char noFork[] = "--nofork";
  char* argv[] = {program, configArg.data(), printAddress, noFork, nullptr};
  const pid_t parent = getpid();
  daemon_ = fork();
  if (daemon_ < 0) return;
  if (daemon_ == 0) {
    // A test program that is killed takes its daemon along.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // Its complaints (about limits it may not raise) go to a file, not the output.
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (dup2(writeEnd.Get(), STDOUT_FILENO) < 0 || logFd < 0 || dup2(logFd, STDERR_FILENO) < 0) {
      _exit(127);
    }
    execvp(program, argv);
    _exit(127);
  }
  writeEnd.Reset();
  address_ = ReadLine(readEnd.Get());
  if (!address_.empty()) env_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address_);
}

PrivateSystemBus::~PrivateSystemBus() {
  Stop();
}

void PrivateSystemBus::Stop() {
  if (daemon_ <= 0) return;
  kill(daemon_, SIGTERM);
  int status = 0;
  while (waitpid(daemon_, &status, 0) < 0 && errno == EINTR) {
  }
  daemon_ = -1;
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

int FakeLogind::OnCall(sd_bus_message* call, void* self, sd_bus_error*) {
  auto& fake = *static_cast<FakeLogind*>(self);
  if (!sd_bus_message_is_method_call(call, kManager, "Inhibit")) return 0;
  const char* what = nullptr;
  const char* who = nullptr;
  const char* why = nullptr;
  const char* mode = nullptr;
  if (sd_bus_message_read(call, "ssss", &what, &who, &why, &mode) < 0) return 0;
  Request request{what, who, why, mode};
  if (!fake.grantLocks_) {
    {
      std::lock_guard lock(fake.mutex_);
      fake.requests_.push_back(std::move(request));
    }
    fake.changed_.notify_all();
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED, "Permission denied");
  }
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return -errno;
  linux_os::UniqueFd farEnd(ends[0]);
  const linux_os::UniqueFd granted(ends[1]);  // the reply carries its own copy
  const int replied = sd_bus_reply_method_return(call, "h", granted.Get());
  {
    std::lock_guard lock(fake.mutex_);
    fake.requests_.push_back(std::move(request));
    fake.lockEnds_.push_back(std::move(farEnd));
  }
  fake.changed_.notify_all();
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
