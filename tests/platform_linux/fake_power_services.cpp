#include "tests/platform_linux/fake_power_services.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>

#include "platform/linux/bus_deadline.h"

namespace pacetta::testing {
namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

}  // namespace

void FakeBusService::Start(const char* service, const char* path, BusKind kind) {
  wake_ = linux_os::UniqueFd(eventfd(0, EFD_CLOEXEC));
  sd_bus* bus = nullptr;
  const int opened = kind == BusKind::kSystem ? sd_bus_open_system(&bus) : sd_bus_open_user(&bus);
  if (opened < 0) return;
  bus_.reset(bus);
  if (sd_bus_request_name(bus, service, 0) < 0) return;
  sd_bus_slot* object = nullptr;
  if (sd_bus_add_object(bus, &object, path, &FakeBusService::OnCall, this) < 0) return;
  object_.reset(object);
  thread_ = std::thread([this] { Serve(); });
}

void FakeBusService::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_.Get(), &one, sizeof one);
  thread_.join();
}

int FakeBusService::OnCall(sd_bus_message* call, void* self, sd_bus_error*) {
  return static_cast<FakeBusService*>(self)->Answer(call);
}

void FakeBusService::Serve() {
  sd_bus* bus = bus_.get();
  for (;;) {
    while (sd_bus_process(bus, nullptr) > 0) {
    }
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    const int events = sd_bus_get_events(bus);
    if (events < 0) return;
    uint64_t deadline = UINT64_MAX;
    if (sd_bus_get_timeout(bus, &deadline) < 0) deadline = UINT64_MAX;
    pollfd fds[2] = {{sd_bus_get_fd(bus), static_cast<short>(events), 0}, {wake_.Get(), POLLIN, 0}};
    if (poll(fds, 2, linux_os::MillisecondsUntil(deadline)) < 0 && errno != EINTR) return;
  }
}

FakeProfilesDaemon::FakeProfilesDaemon(linux_os::BusObject name,
                                       std::vector<linux_os::PowerProfile> profiles,
                                       std::string active)
    : name_(name), profiles_(std::move(profiles)), active_(std::move(active)) {
  Start(name_.service, name_.path);
}

FakeProfilesDaemon::~FakeProfilesDaemon() {
  Stop();
}

std::string FakeProfilesDaemon::Active() {
  std::lock_guard lock(mutex_);
  return active_;
}

void FakeProfilesDaemon::RefuseSwitches() {
  std::lock_guard lock(mutex_);
  refuse_ = true;
}

int FakeProfilesDaemon::Answer(sd_bus_message* call) {
  const bool get = sd_bus_message_is_method_call(call, kProperties, "Get") > 0;
  const bool set = sd_bus_message_is_method_call(call, kProperties, "Set") > 0;
  if (!get && !set) return 0;
  const char* interface = nullptr;
  const char* property = nullptr;
  if (sd_bus_message_read(call, "ss", &interface, &property) < 0) return 0;
  if (std::strcmp(interface, name_.interface) != 0) {
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_UNKNOWN_INTERFACE, "%s", interface);
  }
  std::lock_guard lock(mutex_);
  if (set) {
    const char* wanted = nullptr;
    if (std::strcmp(property, "ActiveProfile") != 0 ||
        sd_bus_message_read(call, "v", "s", &wanted) < 0) {
      return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_INVALID_ARGS, "read-only");
    }
    if (refuse_) return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED, "not allowed");
    const bool listed = std::any_of(profiles_.begin(), profiles_.end(),
                                    [&](const auto& profile) { return profile.name == wanted; });
    if (!listed) return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_INVALID_ARGS, "%s", wanted);
    active_ = wanted;
    return sd_bus_reply_method_return(call, "");
  }
  if (std::strcmp(property, "ActiveProfile") == 0) {
    return sd_bus_reply_method_return(call, "v", "s", active_.c_str());
  }
  if (std::strcmp(property, "Profiles") != 0) {
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_UNKNOWN_PROPERTY, "%s", property);
  }
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_method_return(call, &raw) < 0) return -ENOMEM;
  std::unique_ptr<sd_bus_message, decltype(&sd_bus_message_unref)> reply(raw,
                                                                         &sd_bus_message_unref);
  int r = sd_bus_message_open_container(raw, 'v', "aa{sv}");
  if (r >= 0) r = sd_bus_message_open_container(raw, 'a', "a{sv}");
  for (const auto& profile : profiles_) {
    // A field the reader does not know comes first, as newer daemons add some.
    if (r >= 0) {
      r = sd_bus_message_append(raw, "a{sv}", 3, "Degraded", "b", 0, "Profile", "s",
                                profile.name.c_str(), "Driver", "s", profile.driver.c_str());
    }
  }
  if (r >= 0) r = sd_bus_message_close_container(raw);
  if (r >= 0) r = sd_bus_message_close_container(raw);
  if (r < 0) return r;
  return sd_bus_send(nullptr, raw, nullptr);
}

FakeLoginSession::FakeLoginSession(std::string sysfsRoot, bool refuse)
    : root_(std::move(sysfsRoot)), refuse_(refuse) {
  Start("org.freedesktop.login1", "/org/freedesktop/login1/session/auto");
}

FakeLoginSession::~FakeLoginSession() {
  Stop();
}

std::vector<FakeLoginSession::Request> FakeLoginSession::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

int FakeLoginSession::Answer(sd_bus_message* call) {
  if (sd_bus_message_is_method_call(call, "org.freedesktop.login1.Session", "SetBrightness") <= 0)
    return 0;
  const char* subsystem = nullptr;
  const char* name = nullptr;
  uint32_t value = 0;
  if (sd_bus_message_read(call, "ssu", &subsystem, &name, &value) < 0) return 0;
  std::lock_guard lock(mutex_);
  requests_.push_back({subsystem, name, value});
  if (refuse_) {
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_ACCESS_DENIED,
                                      "Not allowed to change brightness");
  }
  const std::string folder = root_ + "/sys/class/" + subsystem + "/" + name + "/";
  std::ofstream(folder + "brightness") << value << "\n";
  std::ofstream(folder + "actual_brightness") << value << "\n";
  return sd_bus_reply_method_return(call, "");
}

FakeIdleMonitor::FakeIdleMonitor(uint64_t idleMs) : idleMs_(idleMs) {
  Start("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core", BusKind::kSession);
}

FakeIdleMonitor::~FakeIdleMonitor() {
  Stop();
}

void FakeIdleMonitor::SetIdle(uint64_t idleMs) {
  std::lock_guard lock(mutex_);
  idleMs_ = idleMs;
}

int FakeIdleMonitor::Answer(sd_bus_message* call) {
  if (sd_bus_message_is_method_call(call, "org.gnome.Mutter.IdleMonitor", "GetIdletime") <= 0) {
    return 0;
  }
  uint64_t idle = 0;
  {
    std::lock_guard lock(mutex_);
    idle = idleMs_;
  }
  return sd_bus_reply_method_return(call, "t", idle);
}

}  // namespace pacetta::testing
