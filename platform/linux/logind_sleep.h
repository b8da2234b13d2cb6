#pragma once
#include <functional>
#include <thread>

#include "platform/linux/helper_socket.h"

namespace pacetta::linux_os {

// What the login manager tells about sleep. Each runs on the watching thread and
// should return quickly.
struct LogindSleepHandlers {
  // The system is about to sleep. `delayLock` keeps it awake until the descriptor is
  // closed (the login manager waits for that, up to its own delay limit); it is invalid
  // when no lock was granted.
  std::function<void(UniqueFd delayLock)> suspending;
  // The system woke from the sleep announced before.
  std::function<void()> resumed;
  // Nothing more comes: the system bus could not be reached, went away, or the watch
  // is stopping. Called once, last.
  std::function<void()> ended;
};

// Listens on the system bus for the login manager's PrepareForSleep signal and holds a
// "delay" sleep inhibitor while the system is awake, so that a sleep is announced
// before it happens and waits for the program. With no bus, no login manager or a
// refused lock it stays quiet (a refused lock still lets the announcements through).
// Everything runs on a thread of its own; destruction stops it at once.
class LogindSleepWatch {
 public:
  explicit LogindSleepWatch(LogindSleepHandlers handlers);
  ~LogindSleepWatch();
  LogindSleepWatch(const LogindSleepWatch&) = delete;
  LogindSleepWatch& operator=(const LogindSleepWatch&) = delete;

 private:
  void Run();

  LogindSleepHandlers handlers_;
  UniqueFd wake_;
  std::thread thread_;
};

}  // namespace pacetta::linux_os
