#pragma once
#include <sys/types.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/helper_socket.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// A private system bus: a dbus-daemon of its own on a socket in a temporary folder,
// named by DBUS_SYSTEM_BUS_ADDRESS while the object lives. The daemon ends with it, or
// with the thread that made it.
class PrivateSystemBus {
 public:
  PrivateSystemBus();
  ~PrivateSystemBus();
  PrivateSystemBus(const PrivateSystemBus&) = delete;
  PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

  // Empty when the daemon did not start.
  const std::string& Address() const { return address_; }
  // Ends the daemon now, as a crash of the bus would.
  void Stop();

 private:
  TempFolder folder_;
  pid_t daemon_ = -1;
  std::string address_;
  std::optional<ScopedEnv> env_;
};

// The login manager as far as sleep goes, on the system bus: it grants "delay" locks
// (pipes whose far end it keeps, so it sees when a lock is closed) and announces
// sleeps with PrepareForSleep.
class FakeLogind {
 public:
  // `grantLocks` false refuses every lock, as a manager would without permission.
  explicit FakeLogind(bool grantLocks = true);
  ~FakeLogind();
  FakeLogind(const FakeLogind&) = delete;
  FakeLogind& operator=(const FakeLogind&) = delete;

  // True once the name is owned and the manager answers.
  bool Running() const { return thread_.joinable(); }
  void AnnounceSleep(bool sleeping);

  struct Request {
    std::string what, who, why, mode;
  };
  // Lock requests so far, granted or not.
  std::vector<Request> Requests();
  // True once `count` locks were requested (and granted, when granting), within a
  // generous bound.
  bool WaitRequests(size_t count);
  // Whether the `index`-th granted lock is still held by its taker.
  bool LockHeld(size_t index);
  // True once the `index`-th granted lock is closed, within a generous bound.
  bool WaitLockClosed(size_t index);

 private:
  static int OnCall(sd_bus_message* call, void* self, sd_bus_error* error);
  void Serve();

  struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
  };
  struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
  };

  bool grantLocks_;
  std::unique_ptr<sd_bus, BusUnref> bus_;
  std::unique_ptr<sd_bus_slot, SlotUnref> object_;
  linux_os::UniqueFd wake_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<bool> announcements_;
  bool stopping_ = false;
  std::vector<Request> requests_;
  std::vector<linux_os::UniqueFd> lockEnds_;
  std::thread thread_;
};

inline constexpr std::chrono::seconds kBusBound{20};

}  // namespace pacetta::testing
