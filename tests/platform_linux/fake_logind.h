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
#include "tests/platform_linux/reporting_daemon.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

enum class BusKind { kSystem, kSession };

// A private bus: a dbus-daemon of its own on a socket in a temporary folder, named by
// DBUS_SYSTEM_BUS_ADDRESS (or DBUS_SESSION_BUS_ADDRESS) while the object lives. The
// daemon ends with it, or with the thread that made it.
class PrivateBus {
 public:
  explicit PrivateBus(BusKind kind);
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // Empty when the daemon did not start.
  const std::string& Address() const { return address_; }
  // Ends the daemon now, as a crash of the bus would.
  void Stop();

 private:
  TempFolder folder_;
  std::optional<ReportingDaemon> daemon_;
  std::string address_;
  std::optional<ScopedEnv> env_;
};

class PrivateSystemBus final : public PrivateBus {
 public:
  PrivateSystemBus() : PrivateBus(BusKind::kSystem) {}
};

class PrivateSessionBus final : public PrivateBus {
 public:
  PrivateSessionBus() : PrivateBus(BusKind::kSession) {}
};

// The login manager as far as sleep goes, on the system bus: it grants "delay" locks
// (pipes whose far end it keeps, so it sees when a lock is closed), announces sleeps
// with PrepareForSleep, and takes requests to suspend, hibernate and power off.
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

  // What CanSuspend, CanHibernate and CanPowerOff answer from now on ("yes" at first).
  void SetPowerVerdict(std::string verdict);
  // From now on Suspend, Hibernate and PowerOff fail, as while a blocking lock holds.
  void BlockPowerRequests();
  struct PowerCall {
    std::string method;
    bool interactive = false;  // of a request; false for a question
    bool operator==(const PowerCall&) const = default;
  };
  // The questions and requests since the last look, in order; they are forgotten.
  std::vector<PowerCall> TakePowerCalls();

 private:
  static int OnCall(sd_bus_message* call, void* self, sd_bus_error* error);
  int AnswerInhibit(sd_bus_message* call);
  int AnswerPower(sd_bus_message* call);
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
  std::string powerVerdict_ = "yes";
  bool powerBlocked_ = false;
  std::vector<PowerCall> powerCalls_;
  std::thread thread_;
};

inline constexpr std::chrono::seconds kBusBound{20};

}  // namespace pacetta::testing
