#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Socket plumbing shared by the Portex64 helper and its client.
namespace pacetta::linux_os {

// An owned file descriptor, closed with the object.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

// A connected stream socket to `path`, or an invalid descriptor.
UniqueFd ConnectUnixSocket(const std::string& path);
// True when something accepts connections at `path`.
bool UnixSocketAnswers(const std::string& path);

// The process at the other end of a connected Unix socket, as the kernel recorded it: for
// the connecting side, the process that listens.
struct SocketPeer {
  pid_t pid = 0;
  uid_t uid = 0;
  gid_t gid = 0;
};
std::optional<SocketPeer> PeerOf(int connection);

// A connection to the helper at `path`, only when its listener runs as one of `users`:
// anyone else could have put a socket of their own there, and must not receive a request.
// `listener`, when given, receives the listener's credentials.
UniqueFd ConnectToHelper(const std::string& path, const std::vector<uid_t>& users,
                         SocketPeer* listener = nullptr);

// Writes all of `data`; false on any failure (never raises SIGPIPE).
bool SendAll(int fd, const void* data, size_t size);
// Writes all of `data` and passes `passedFd` with its first byte.
bool SendWithFd(int fd, const void* data, size_t size, int passedFd);
// Reads exactly `size` bytes, waiting at most `timeout` for all of them; false on end of
// stream, error or time-out.
bool ReceiveExact(int fd, void* data, size_t size, std::chrono::milliseconds timeout);
// As ReceiveExact, also taking a descriptor passed with the bytes (invalid when none).
bool ReceiveWithFd(int fd, void* data, size_t size, std::chrono::milliseconds timeout,
                   UniqueFd& passed);
// Waits until the peer closes the stream; false after `timeout`.
bool WaitForEndOfStream(int fd, std::chrono::milliseconds timeout);

}  // namespace pacetta::linux_os
