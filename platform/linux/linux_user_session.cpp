#include "platform/linux/linux_user_session.h"

#include <unistd.h>

#include <string_view>

#include "platform/linux/running_programs.h"

namespace pacetta::linux_os {
namespace {

using platform::SystemPowerRequest;

constexpr BusObject kLoginManager{"org.freedesktop.login1", "/org/freedesktop/login1",
                                  "org.freedesktop.login1.Manager"};

// Long enough for the user to answer the authority's password dialog, which the request
// waits for.
constexpr uint64_t kPowerRequestTimeoutUs = 60'000'000;

struct PowerMethods {
  const char* allowed;
  const char* request;
};

PowerMethods MethodsOf(SystemPowerRequest request) {
  switch (request) {
    case SystemPowerRequest::kStandby:
      return {"CanSuspend", "Suspend"};
    case SystemPowerRequest::kHibernate:
      return {"CanHibernate", "Hibernate"};
    case SystemPowerRequest::kPowerOff:
      break;
  }
  return {"CanPowerOff", "PowerOff"};
}

}  // namespace

LinuxUserSession::LinuxUserSession(SysfsRoot root) : root_(std::move(root)) {}

std::vector<std::string> LinuxUserSession::RunningProgramNames(size_t limit) {
  return linux_os::RunningProgramNames(root_, getuid(), limit);
}

IdleSource* LinuxUserSession::Idle() {
  if (!idleLookedFor_) {
    idle_ = FindDesktopIdleSource();
    idleLookedFor_ = true;
  }
  return idle_.get();
}

bool LinuxUserSession::IdleTimeAvailable() {
  std::lock_guard lock(idleMutex_);
  return Idle() != nullptr;
}

std::optional<uint32_t> LinuxUserSession::IdleMilliseconds() {
  std::lock_guard lock(idleMutex_);
  IdleSource* source = Idle();
  return source ? source->Milliseconds() : std::nullopt;
}

bool LinuxUserSession::RequestSystemPower(SystemPowerRequest request) {
  std::lock_guard lock(busMutex_);
  if (!bus_ || !bus_->IsOpen()) bus_ = SystemBus::Open();
  if (!bus_) return false;
  const PowerMethods methods = MethodsOf(request);
  const BusReply allowed = bus_->Call(kLoginManager, methods.allowed);
  const char* answer = nullptr;
  if (allowed.Failed() || sd_bus_message_read(allowed.message.get(), "s", &answer) < 0 || !answer) {
    return false;
  }
  // "no": not for this user; "na": the machine cannot (no swap to hibernate to, say).
  const std::string_view verdict(answer);
  if (verdict != "yes" && verdict != "challenge") return false;
  const BusReply done = bus_->Call(
      kLoginManager, methods.request,
      [](sd_bus_message* call) { return sd_bus_message_append(call, "b", 1); },
      kPowerRequestTimeoutUs);
  return !done.Failed();
}

}  // namespace pacetta::linux_os
