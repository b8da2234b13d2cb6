#include "platform/linux/desktop_idle.h"

#include <systemd/sd-bus.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

#include "platform/linux/system_bus.h"

namespace pacetta::linux_os {
namespace {

constexpr BusObject kIdleMonitor{"org.gnome.Mutter.IdleMonitor",
                                 "/org/gnome/Mutter/IdleMonitor/Core",
                                 "org.gnome.Mutter.IdleMonitor"};

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

struct XcbDisconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XcbConnectionPtr = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

struct FreeDeleter {
  void operator()(void* memory) const { std::free(memory); }
};

class X11IdleSource final : public IdleSource {
 public:
  X11IdleSource(XcbConnectionPtr connection, xcb_window_t root)
      : connection_(std::move(connection)), root_(root) {}

  std::optional<uint32_t> Milliseconds() override {
    const auto cookie = xcb_screensaver_query_info(connection_.get(), root_);
    xcb_generic_error_t* rawError = nullptr;
    const std::unique_ptr<xcb_screensaver_query_info_reply_t, FreeDeleter> reply(
        xcb_screensaver_query_info_reply(connection_.get(), cookie, &rawError));
    const std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(rawError);
    if (!reply) return std::nullopt;
    return reply->ms_since_user_input;
  }

 private:
  XcbConnectionPtr connection_;
  xcb_window_t root_;
};

class IdleMonitorSource final : public IdleSource {
 public:
  explicit IdleMonitorSource(std::unique_ptr<SystemBus> bus) : bus_(std::move(bus)) {}

  std::optional<uint32_t> Milliseconds() override {
    const BusReply reply = bus_->Call(kIdleMonitor, "GetIdletime");
    uint64_t idle = 0;
    if (reply.Failed() || sd_bus_message_read(reply.message.get(), "t", &idle) < 0) {
      return std::nullopt;
    }
    // Past 49 days the count stays at its top rather than starting again from 0.
    return static_cast<uint32_t>(std::min<uint64_t>(idle, UINT32_MAX));
  }

 private:
  std::unique_ptr<SystemBus> bus_;
};

std::unique_ptr<IdleSource> OpenX11IdleSource() {
  int screenNumber = 0;
  XcbConnectionPtr connection(xcb_connect(nullptr, &screenNumber));
  if (!connection || xcb_connection_has_error(connection.get())) return nullptr;
  const xcb_query_extension_reply_t* extension =
      xcb_get_extension_data(connection.get(), &xcb_screensaver_id);
  if (!extension || !extension->present) return nullptr;
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
  for (int skip = screenNumber; skip > 0 && screens.rem > 0; --skip) xcb_screen_next(&screens);
  if (screens.rem <= 0) return nullptr;
  auto source = std::make_unique<X11IdleSource>(std::move(connection), screens.data->root);
  if (!source->Milliseconds()) return nullptr;
  return source;
}

std::unique_ptr<IdleSource> OpenIdleMonitorSource() {
  auto bus = SystemBus::OpenSession();
  if (!bus) return nullptr;
  auto source = std::make_unique<IdleMonitorSource>(std::move(bus));
  if (!source->Milliseconds()) return nullptr;
  return source;
}

}  // namespace

std::unique_ptr<IdleSource> FindDesktopIdleSource() {
  if (IsSet("WAYLAND_DISPLAY")) return OpenIdleMonitorSource();
  if (IsSet("DISPLAY")) return OpenX11IdleSource();
  return nullptr;
}

}  // namespace pacetta::linux_os
