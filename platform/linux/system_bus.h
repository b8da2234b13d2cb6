#pragma once
#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace pacetta::linux_os {

struct BusMessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusMessagePtr = std::unique_ptr<sd_bus_message, BusMessageUnref>;

// Where a call goes: a service's object and one of its interfaces.
struct BusObject {
  const char* service;
  const char* path;
  const char* interface;
};

// The answer to one call: the reply, or the system error code of its failure (never 0).
struct BusReply {
  BusMessagePtr message;
  uint32_t systemError = 0;
  bool Failed() const { return !message; }
};

struct BusCloseUnref {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusConnectionPtr = std::unique_ptr<sd_bus, BusCloseUnref>;

// A connection of its own to the system bus (or the user's session bus) for short
// synchronous calls, used on one thread at a time. A call never starts a service that is
// not running: a daemon the user stopped stays stopped.
class SystemBus {
 public:
  // Null when the bus cannot be reached.
  static std::unique_ptr<SystemBus> Open();
  static std::unique_ptr<SystemBus> OpenSession();
  explicit SystemBus(BusConnectionPtr bus) : bus_(std::move(bus)) {}
  SystemBus(const SystemBus&) = delete;
  SystemBus& operator=(const SystemBus&) = delete;

  bool IsOpen() const;
  // `append` adds the arguments to the call and answers a negative errno on failure.
  // `timeoutUs` 0 keeps the connection's bound of a few seconds.
  BusReply Call(const BusObject& to, const char* member,
                const std::function<int(sd_bus_message*)>& append = {}, uint64_t timeoutUs = 0);
  BusReply GetProperty(const BusObject& of, const char* property);
  BusReply SetStringProperty(const BusObject& of, const char* property, const char* value);

 private:
  BusReply CallOn(const char* service, const char* path, const char* interface, const char* member,
                  const std::function<int(sd_bus_message*)>& append, uint64_t timeoutUs = 0);

  BusConnectionPtr bus_;
};

// The system error code for a bus failure: its errno `error` (positive), from the bus
// error's name where there is one: access refused 5, unknown service or object 2,
// bad argument 87, timeout 1460, anything else 31.
uint32_t SystemErrorOfBus(int error);

}  // namespace pacetta::linux_os
