#include "platform/linux/socket_windows.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/linux/runtime_paths.h"

namespace pacetta::linux_os {
namespace {

enum class FrameKind : uint32_t {
  kPost = 1,
  kSend = 2,
  kIsVisible = 3,
  kShow = 4,
  kForeground = 5
};

struct Frame {
  uint32_t kind = 0;
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
};
static_assert(sizeof(Frame) == 16);

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string SocketPath(const std::string& windowClass, const std::string& caption) {
  const std::string folder = UserRuntimeFolder();
  if (folder.empty()) return {};
  return folder + "/window-" + FileNameOf(windowClass) + "-" + FileNameOf(caption) + ".sock";
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

Fd Connect(const std::string& path, std::chrono::milliseconds timeout) {
  sockaddr_un address{};
  if (!FillAddress(path, address)) return Fd();
  Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return Fd();
  timeval tv{static_cast<time_t>(timeout.count() / 1000),
             static_cast<suseconds_t>((timeout.count() % 1000) * 1000)};
  setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return Fd();
  return fd;
}

bool SendAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, void* data, size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = recv(fd, bytes, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

class SocketPeer final : public platform::WindowPeer {
 public:
  explicit SocketPeer(std::string path) : path_(std::move(path)) {}

  bool Post(const platform::WindowMessage& m) override {
    return Exchange({static_cast<uint32_t>(FrameKind::kPost), m.message, m.wParam, m.lParam},
                    kQuick)
        .has_value();
  }
  std::optional<int64_t> Send(const platform::WindowMessage& m,
                              std::chrono::milliseconds timeout) override {
    return Exchange({static_cast<uint32_t>(FrameKind::kSend), m.message, m.wParam, m.lParam},
                    timeout);
  }
  bool IsVisible() override {
    return Exchange({static_cast<uint32_t>(FrameKind::kIsVisible)}, kQuick).value_or(0) != 0;
  }
  bool Show() override {
    return Exchange({static_cast<uint32_t>(FrameKind::kShow)}, kQuick).has_value();
  }
  bool BringToForeground() override {
    return Exchange({static_cast<uint32_t>(FrameKind::kForeground)}, kQuick).has_value();
  }

 private:
  static constexpr std::chrono::milliseconds kQuick{5000};

  std::optional<int64_t> Exchange(const Frame& frame, std::chrono::milliseconds timeout) {
    Fd fd = Connect(path_, timeout);
    int64_t result = 0;
    if (!fd.valid() || !SendAll(fd.get(), &frame, sizeof frame) ||
        !ReceiveAll(fd.get(), &result, sizeof result)) {
      return std::nullopt;
    }
    return result;
  }

  std::string path_;
};

class SocketPublishedWindow final : public platform::PublishedWindow {
 public:
  SocketPublishedWindow(std::string path, Fd listener, platform::WindowHandler& handler)
      : path_(std::move(path)),
        listener_(std::move(listener)),
        wake_(eventfd(0, EFD_CLOEXEC)),
        handler_(handler),
        thread_([this] { Serve(); }) {}

  ~SocketPublishedWindow() override {
    const uint64_t one = 1;
    if (write(wake_.get(), &one, sizeof one) < 0) {
      // The thread still ends: its poll also wakes when the listener is shut down.
      shutdown(listener_.get(), SHUT_RDWR);
    }
    thread_.join();
    unlink(path_.c_str());
  }
  SocketPublishedWindow(const SocketPublishedWindow&) = delete;
  SocketPublishedWindow& operator=(const SocketPublishedWindow&) = delete;

 private:
  void Serve() {
    for (;;) {
      pollfd fds[2] = {{listener_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) return;
      if (fds[0].revents & POLLIN) {
        Fd client(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (client.valid()) Answer(client.get());
      }
    }
  }

  void Answer(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    // Only this user's processes may steer the window.
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != getuid()) return;
    timeval tv{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    Frame frame;
    if (!ReceiveAll(fd, &frame, sizeof frame)) return;
    const platform::WindowMessage message{frame.message, frame.wParam, frame.lParam};
    int64_t result = 0;
    switch (static_cast<FrameKind>(frame.kind)) {
      case FrameKind::kPost:
        SendAll(fd, &result, sizeof result);  // a posted message does not wait
        handler_.OnPosted(message);
        return;
      case FrameKind::kSend:
        result = handler_.OnSent(message);
        break;
      case FrameKind::kIsVisible:
        result = handler_.IsVisible() ? 1 : 0;
        break;
      case FrameKind::kShow:
        handler_.Show();
        break;
      case FrameKind::kForeground:
        handler_.BringToForeground();
        break;
      default:
        return;  // unknown request: no answer
    }
    SendAll(fd, &result, sizeof result);
  }

  std::string path_;
  Fd listener_;
  Fd wake_;
  platform::WindowHandler& handler_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<platform::WindowPeer> SocketWindows::Find(const std::string& windowClass,
                                                          const std::string& caption) {
  std::string path = SocketPath(windowClass, caption);
  if (!Connect(path, std::chrono::milliseconds(1000)).valid()) return nullptr;
  return std::make_unique<SocketPeer>(std::move(path));
}

std::unique_ptr<platform::PublishedWindow> SocketWindows::Publish(
    const std::string& windowClass, const std::string& caption, platform::WindowHandler& handler) {
  const std::string path = SocketPath(windowClass, caption);
  if (Connect(path, std::chrono::milliseconds(1000)).valid()) return nullptr;  // taken
  unlink(path.c_str());  // a socket file left by an instance that died
  sockaddr_un address{};
  if (!FillAddress(path, address)) return nullptr;
  Fd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.valid() ||
      bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.get(), 16) != 0) {
    return nullptr;
  }
  return std::make_unique<SocketPublishedWindow>(path, std::move(listener), handler);
}

}  // namespace pacetta::linux_os
