#include "tools/portex64/server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/portex64/client_session.h"
#include "tools/portex64/peer_credentials.h"

namespace pacetta::portex {
namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

Server::Server(const HelperOptions& options, HelperContext& context)
    : options_(options), context_(context) {
  context_.requestStop = [this] { RequestStop(); };
}

Server::~Server() {
  ShutDown();
  context_.requestStop = nullptr;
}

bool Server::Listen(std::string& error) {
  const std::string& path = options_.socketPath;
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    error = "socket path too long: " + path;
    return false;
  }
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0) {
    if (!S_ISSOCK(info.st_mode)) {
      error = "not a socket: " + path;
      return false;
    }
    if (linux_os::UnixSocketAnswers(path)) {
      error = "a helper is already running at " + path;
      return false;
    }
    unlink(path.c_str());  // left behind by a helper that did not end in order
  }
  mkdir(FolderOf(path).c_str(), 0755);

  wake_.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  listener_.Reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!wake_.Valid() || !listener_.Valid()) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  // Created owner-only, then opened exactly as far as the options say: no moment in which
  // anyone else could connect.
  const mode_t previous = umask(0177);
  const int bound = bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  umask(previous);
  if (bound != 0 || listen(listener_.Get(), 16) != 0) {
    error = "cannot listen at " + path + ": " + std::strerror(errno);
    return false;
  }
  // The file mode is a first fence; the peer check at accept is the one that counts.
  // Extra users have no group to share, so their socket is open to all and the check
  // alone decides.
  mode_t mode = 0600;
  if (options_.group && chown(path.c_str(), static_cast<uid_t>(-1), *options_.group) == 0) {
    mode = 0660;
  }
  if (!options_.allowUids.empty()) mode = 0666;
  chmod(path.c_str(), mode);
  if (stat(path.c_str(), &info) == 0) socketInode_ = info.st_ino;
  return true;
}

void Server::Run(int signalFd) {
  while (!stopping_) {
    pollfd entries[3] = {
        {listener_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}, {signalFd, POLLIN, 0}};
    if (poll(entries, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (entries[2].revents != 0) break;
    if (entries[1].revents != 0) {
      uint64_t ignored = 0;
      [[maybe_unused]] const ssize_t got = read(wake_.Get(), &ignored, sizeof ignored);
      Reap();
    }
    if (entries[0].revents != 0 && !stopping_) Accept();
  }
  ShutDown();
}

void Server::RequestStop() {
  stopping_ = true;
  Wake();
}

void Server::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t put = write(wake_.Get(), &one, sizeof one);
}

void Server::Accept() {
  UniqueFd fd(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
  if (!fd.Valid()) return;
  const auto peer = CredentialsOf(fd.Get());
  if (!peer || !PeerAllowed(*peer, options_)) {
    std::fprintf(stderr, "Portex64: refused a connection of user %d\n",
                 peer ? static_cast<int>(peer->uid) : -1);
    return;
  }
  Reap();
  if (connections_.size() >= options_.maxClients) return;
  auto connection = std::make_unique<Connection>();
  connection->fd = std::move(fd);
  Connection* raw = connection.get();
  raw->thread = std::thread([this, raw, peer = *peer] {
    {
      RequestHandler handler(context_, peer);
      ServeConnection(raw->fd.Get(), handler);
    }  // the connection's uses are given back here, before it counts as done
    raw->done = true;
    Wake();
  });
  connections_.push_back(std::move(connection));
}

void Server::Reap() {
  for (auto it = connections_.begin(); it != connections_.end();) {
    if ((*it)->done) {
      (*it)->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void Server::ShutDown() {
  if (listener_.Valid()) {
    listener_.Reset();
    // Only the socket this helper made: another helper may have taken the path since.
    struct stat info {};
    if (stat(options_.socketPath.c_str(), &info) == 0 && info.st_ino == socketInode_) {
      unlink(options_.socketPath.c_str());
    }
  }
  for (auto& connection : connections_) shutdown(connection->fd.Get(), SHUT_RDWR);
  for (auto& connection : connections_) connection->thread.join();
  connections_.clear();
}

}  // namespace pacetta::portex
