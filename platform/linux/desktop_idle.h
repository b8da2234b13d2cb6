#pragma once
#include <cstdint>
#include <memory>
#include <optional>

namespace pacetta::linux_os {

// Where the time since the user's last keyboard or pointer input comes from.
class IdleSource {
 public:
  virtual ~IdleSource() = default;
  // Nullopt when the source does not answer now.
  virtual std::optional<uint32_t> Milliseconds() = 0;
};

// The desktop's own count, chosen from the session's environment:
// - a Wayland session (WAYLAND_DISPLAY set): the compositor's idle monitor on the session
//   bus (org.gnome.Mutter.IdleMonitor). Its X server, when it has one, is not asked: it
//   sees only the input that goes to X windows, so it would count a user typing into a
//   Wayland window as idle.
// - an X session (DISPLAY set): the X server's screen saver extension.
// Null where neither answers.
std::unique_ptr<IdleSource> FindDesktopIdleSource();

}  // namespace pacetta::linux_os
