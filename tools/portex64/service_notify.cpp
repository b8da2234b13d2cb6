#include "tools/portex64/service_notify.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/linux/helper_socket.h"

namespace pacetta::portex {
namespace {

// The address NOTIFY_SOCKET names; its length, 0 when the value is no Unix socket address
// (the manager may also name other kinds of socket, which this helper does not speak).
socklen_t NotifyAddress(const std::string& name, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (name.size() < 2 || name.size() >= sizeof address.sun_path) return 0;
  if (name[0] != '/' && name[0] != '@') return 0;
  std::memcpy(address.sun_path, name.data(), name.size());
  // An abstract name starts with a zero byte and has no terminating one: its length
  // is part of the name.
  if (name[0] == '@') address.sun_path[0] = '\0';
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
}

}  // namespace

bool NotifyServiceReady() {
  const char* variable = std::getenv("NOTIFY_SOCKET");
  if (variable == nullptr) return false;
  const std::string name = variable;
  unsetenv("NOTIFY_SOCKET");

  sockaddr_un address;
  const socklen_t length = NotifyAddress(name, address);
  if (length == 0) return false;
  const linux_os::UniqueFd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return false;
  constexpr std::string_view kReady = "READY=1";
  return sendto(fd.Get(), kReady.data(), kReady.size(), MSG_NOSIGNAL,
                reinterpret_cast<const sockaddr*>(&address),
                length) == static_cast<ssize_t>(kReady.size());
}

}  // namespace pacetta::portex
