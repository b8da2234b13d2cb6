#include "platform/linux/system_bus.h"

#include <cerrno>
#include <cstdint>

namespace pacetta::linux_os {
namespace {

// Long enough for a daemon that asks the authority whether the caller may switch, short
// enough that a hung daemon does not freeze the start for the bus's default 25 s.
constexpr uint64_t kCallTimeoutUs = 5'000'000;

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorGeneralFailure = 31;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorTimeout = 1460;

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

struct ErrorGuard {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~ErrorGuard() { sd_bus_error_free(&error); }
};

}  // namespace

uint32_t SystemErrorOfBus(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EHOSTUNREACH:  // no such service
    case EBADR:         // no such object or method
      return kErrorFileNotFound;
    case EINVAL:
      return kErrorInvalidParameter;
    case ETIMEDOUT:
      return kErrorTimeout;
    default:
      return kErrorGeneralFailure;
  }
}

std::unique_ptr<SystemBus> SystemBus::Open() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) return nullptr;
  sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
  return std::make_unique<SystemBus>(BusConnectionPtr(bus));
}

std::unique_ptr<SystemBus> SystemBus::OpenSession() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return nullptr;
  sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
  return std::make_unique<SystemBus>(BusConnectionPtr(bus));
}

bool SystemBus::IsOpen() const {
  return sd_bus_is_open(bus_.get()) > 0;
}

BusReply SystemBus::Call(const BusObject& to, const char* member,
                         const std::function<int(sd_bus_message*)>& append, uint64_t timeoutUs) {
  return CallOn(to.service, to.path, to.interface, member, append, timeoutUs);
}

BusReply SystemBus::GetProperty(const BusObject& of, const char* property) {
  return CallOn(of.service, of.path, kProperties, "Get", [&](sd_bus_message* call) {
    return sd_bus_message_append(call, "ss", of.interface, property);
  });
}

BusReply SystemBus::SetStringProperty(const BusObject& of, const char* property,
                                      const char* value) {
  return CallOn(of.service, of.path, kProperties, "Set", [&](sd_bus_message* call) {
    return sd_bus_message_append(call, "ssv", of.interface, property, "s", value);
  });
}

BusReply SystemBus::CallOn(const char* service, const char* path, const char* interface,
                           const char* member, const std::function<int(sd_bus_message*)>& append,
                           uint64_t timeoutUs) {
  BusReply answer;
  sd_bus_message* raw = nullptr;
  int r = sd_bus_message_new_method_call(bus_.get(), &raw, service, path, interface, member);
  const BusMessagePtr call(raw);
  if (r >= 0) r = sd_bus_message_set_auto_start(call.get(), 0);
  if (r >= 0 && append) r = append(call.get());
  if (r < 0) {
    answer.systemError = SystemErrorOfBus(-r);
    return answer;
  }
  ErrorGuard error;
  sd_bus_message* reply = nullptr;
  r = sd_bus_call(bus_.get(), call.get(), timeoutUs, &error.error, &reply);
  if (r < 0) {
    const int code = sd_bus_error_is_set(&error.error) ? sd_bus_error_get_errno(&error.error) : -r;
    answer.systemError = SystemErrorOfBus(code);
    return answer;
  }
  answer.message.reset(reply);
  return answer;
}

}  // namespace pacetta::linux_os
