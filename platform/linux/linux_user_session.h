#pragma once
#include <memory>
#include <mutex>

#include "platform/linux/desktop_idle.h"
#include "platform/linux/kernel_cpu/sysfs_root.h"
#include "platform/linux/system_bus.h"
#include "platform/user_session.h"

namespace pacetta::linux_os {

// The user's session on Linux: the running programs from /proc (under `root`), the idle
// time from the desktop (see FindDesktopIdleSource; looked for once, at the first
// question) and the power requests through the login manager on the system bus.
class LinuxUserSession final : public platform::UserSession {
 public:
  explicit LinuxUserSession(SysfsRoot root = SysfsRoot());

  std::vector<std::string> RunningProgramNames(size_t limit) override;
  bool IdleTimeAvailable() override;
  std::optional<uint32_t> IdleMilliseconds() override;
  // Asks whether the user may (CanSuspend and its kind: "yes", or "challenge" when the
  // authority will ask for a password), then for the request itself as an interactive
  // one, so the authority may ask and the blocking locks of other programs hold.
  bool RequestSystemPower(platform::SystemPowerRequest request) override;

 private:
  IdleSource* Idle();

  SysfsRoot root_;
  // A power request may wait long for the user's password; the idle time must not wait
  // behind it.
  std::mutex idleMutex_;
  bool idleLookedFor_ = false;
  std::unique_ptr<IdleSource> idle_;
  std::mutex busMutex_;
  // Opened at the first request and again after the bus went away.
  std::unique_ptr<SystemBus> bus_;
};

}  // namespace pacetta::linux_os
