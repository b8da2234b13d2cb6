#include "platform/linux/helper_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pacetta::linux_os {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until `fd` is readable or the deadline passes.
bool WaitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return false;
    pollfd entry{fd, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

// Keeps the first descriptor of a control message and closes any others, so a peer
// cannot leak descriptors into this process.
void TakeDescriptors(msghdr& message, UniqueFd& passed) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t k = 0; k < count; ++k) {
      int fd = -1;
      std::memcpy(&fd, CMSG_DATA(c) + k * sizeof(int), sizeof fd);
      if (!passed.Valid()) {
        passed.Reset(fd);
      } else {
        close(fd);
      }
    }
  }
}

}  // namespace

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}

UniqueFd ConnectUnixSocket(const std::string& path) {
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path) return UniqueFd();
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return fd;
  int result;
  do {
    result = connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) fd.Reset();
  return fd;
}

bool UnixSocketAnswers(const std::string& path) {
  return ConnectUnixSocket(path).Valid();
}

std::optional<SocketPeer> PeerOf(int connection) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
    return std::nullopt;
  }
  return SocketPeer{credentials.pid, credentials.uid, credentials.gid};
}

UniqueFd ConnectToHelper(const std::string& path, const std::vector<uid_t>& users,
                         SocketPeer* listener) {
  UniqueFd fd = ConnectUnixSocket(path);
  if (!fd.Valid()) return fd;
  const auto peer = PeerOf(fd.Get());
  if (!peer || std::find(users.begin(), users.end(), peer->uid) == users.end()) return UniqueFd();
  if (listener) *listener = *peer;
  return fd;
}

bool SendAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t sent = send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

bool SendWithFd(int fd, const void* data, size_t size, int passedFd) {
  if (size == 0) return false;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  iovec chunk{const_cast<void*>(data), size};
  msghdr message{};
  message.msg_iov = &chunk;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&message);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(c), &passedFd, sizeof passedFd);
  ssize_t sent;
  do {
    sent = sendmsg(fd, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent <= 0) return false;
  // The descriptor went with the first byte; the rest is plain data.
  return SendAll(fd, static_cast<const char*>(data) + sent, size - static_cast<size_t>(sent));
}

bool ReceiveWithFd(int fd, void* data, size_t size, std::chrono::milliseconds timeout,
                   UniqueFd& passed) {
  const auto deadline = Clock::now() + timeout;
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    if (!WaitReadable(fd, deadline)) return false;
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    iovec chunk{bytes, size};
    msghdr message{};
    message.msg_iov = &chunk;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    TakeDescriptors(message, passed);
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool ReceiveExact(int fd, void* data, size_t size, std::chrono::milliseconds timeout) {
  UniqueFd unexpected;  // a descriptor nobody asked for is closed at once
  return ReceiveWithFd(fd, data, size, timeout, unexpected);
}

bool WaitForEndOfStream(int fd, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  char sink[64];
  for (;;) {
    if (!WaitReadable(fd, deadline)) return false;
    const ssize_t got = recv(fd, sink, sizeof sink, 0);
    if (got == 0) return true;
    if (got < 0 && errno != EINTR) return true;  // a reset ends the stream too
  }
}

}  // namespace pacetta::linux_os
