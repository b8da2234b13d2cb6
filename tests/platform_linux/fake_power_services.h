#pragma once
#include <systemd/sd-bus.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/helper_socket.h"
#include "platform/linux/power_profiles.h"
#include "tests/platform_linux/fake_logind.h"

namespace pacetta::testing {

// One object of a service on a bus, answered on a thread of its own.
class FakeBusService {
 public:
  FakeBusService(const FakeBusService&) = delete;
  FakeBusService& operator=(const FakeBusService&) = delete;
  // True once the name is owned and calls are answered.
  bool Running() const { return thread_.joinable(); }

 protected:
  FakeBusService() = default;
  // Derived classes call Start() last in their constructor and Stop() first in their
  // destructor, so no call reaches a half-made or half-gone object.
  void Start(const char* service, const char* path, BusKind kind = BusKind::kSystem);
  void Stop();
  // Answers `call` and returns 1, or returns 0 for "no such method".
  virtual int Answer(sd_bus_message* call) = 0;

  std::mutex mutex_;

 private:
  static int OnCall(sd_bus_message* call, void* self, sd_bus_error* error);
  void Serve();

  struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
  };
  struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
  };
  std::unique_ptr<sd_bus, BusUnref> bus_;
  std::unique_ptr<sd_bus_slot, SlotUnref> object_;
  linux_os::UniqueFd wake_;
  bool stopping_ = false;
  std::thread thread_;
};

// A power-profiles daemon under one of its names: the Profiles list and a writable
// ActiveProfile that accepts only listed names.
class FakeProfilesDaemon final : public FakeBusService {
 public:
  FakeProfilesDaemon(linux_os::BusObject name, std::vector<linux_os::PowerProfile> profiles,
                     std::string active);
  ~FakeProfilesDaemon();
  std::string Active();
  // The authority's refusal of every switch from now on.
  void RefuseSwitches();

 private:
  int Answer(sd_bus_message* call) override;

  linux_os::BusObject name_;
  std::vector<linux_os::PowerProfile> profiles_;
  std::string active_;
  bool refuse_ = false;
};

// The login manager's session object answering SetBrightness("backlight", name, value)
// by writing the value into the fake backlight folder under `sysfsRoot`, as the kernel
// would show it.
class FakeLoginSession final : public FakeBusService {
 public:
  FakeLoginSession(std::string sysfsRoot, bool refuse = false);
  ~FakeLoginSession();
  struct Request {
    std::string subsystem, name;
    uint32_t value = 0;
  };
  std::vector<Request> Requests();

 private:
  int Answer(sd_bus_message* call) override;

  std::string root_;
  bool refuse_;
  std::vector<Request> requests_;
};

// The desktop's idle monitor on the session bus: GetIdletime answers the milliseconds the
// test sets.
class FakeIdleMonitor final : public FakeBusService {
 public:
  explicit FakeIdleMonitor(uint64_t idleMs);
  ~FakeIdleMonitor();
  void SetIdle(uint64_t idleMs);

 private:
  int Answer(sd_bus_message* call) override;

  uint64_t idleMs_;
};

}  // namespace pacetta::testing
