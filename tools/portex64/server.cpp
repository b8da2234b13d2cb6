#include "tools/portex64/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/helper_folder.h"
#include "tools/portex64/client_session.h"
#include "tools/portex64/peer_credentials.h"
#include "tools/portex64/polkit_gate.h"

namespace pacetta::portex {
namespace {

// The socket's mode: owner only, the group's members too, or everyone when extra users
// are named (they share no group) or polkit may admit anyone, in which case the peer
// check and polkit alone decide.
mode_t SocketMode(const HelperOptions& options) {
  if (!options.allowUids.empty() || options.polkit) return 0666;
  return options.group ? 0660 : 0600;
}

}  // namespace

Server::Server(const HelperOptions& options, HelperContext& context)
    : options_(options), context_(context), self_(geteuid()), refusals_(STDERR_FILENO) {
  context_.requestStop = [this] { RequestStop(); };
  context_.refused = [this](const std::string& line) { refusals_.Refused(line); };
}

Server::~Server() {
  ShutDown();
  context_.requestStop = nullptr;
  context_.refused = nullptr;
}

bool Server::Bind(std::string& error) {
  const std::string& path = options_.socketPath;
  sockaddr_un address{};
  socketName_ = linux_os::NameOf(path);
  if (path.empty() || path.size() >= sizeof address.sun_path || socketName_.empty()) {
    error = "bad socket path: " + path;
    return false;
  }
  // Everything below acts on names inside this open folder, never on a path that
  // someone could point elsewhere in between.
  folder_ = linux_os::OpenTrustedFolder(linux_os::FolderOf(path), self_, true, error);
  if (!folder_.Valid()) return false;
  const char* name = socketName_.c_str();
  const std::string reachable = linux_os::PathInFolder(folder_.Get(), socketName_);
  struct stat info {};
  if (fstatat(folder_.Get(), name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISSOCK(info.st_mode)) {
      error = "not a socket: " + path;
      return false;
    }
    if (linux_os::UnixSocketAnswers(reachable)) {
      error = "a helper is already running at " + path;
      return false;
    }
    unlinkat(folder_.Get(), name, 0);  // left behind by a helper that did not end in order
  }

  if (reachable.size() >= sizeof address.sun_path) {
    error = "socket name too long: " + path;
    return false;
  }
  wake_.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  listener_.Reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!wake_.Valid() || !listener_.Valid()) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, reachable.c_str(), reachable.size() + 1);
  // Born with its final mode, whatever umask the helper was given. Nobody can connect
  // before Listen, so the group below is set before anyone could use the mode.
  const mode_t mode = SocketMode(options_);
  const mode_t previous = umask(~mode & 0777);
  const int bound = bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  umask(previous);
  if (bound != 0) {
    error = "cannot listen at " + path + ": " + std::strerror(errno);
    return false;
  }
  if (options_.group && mode == 0660 &&
      fchownat(folder_.Get(), name, static_cast<uid_t>(-1), *options_.group, AT_SYMLINK_NOFOLLOW) !=
          0) {
    // The helper may not give its socket to that group: then it stays its owner's alone.
    fchmodat(folder_.Get(), name, 0600, 0);
  }
  if (fstatat(folder_.Get(), name, &info, AT_SYMLINK_NOFOLLOW) == 0) socketInode_ = info.st_ino;
  return true;
}

bool Server::Listen(std::string& error) {
  if (listen(listener_.Get(), 16) != 0) {
    error = "cannot listen at " + options_.socketPath + ": " + std::strerror(errno);
    return false;
  }
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
  auto peer = CredentialsOf(fd.Get());
  const bool member = peer && PeerAllowed(*peer, options_, self_);
  if (peer && !member && options_.polkit) {
    // Read while the connection is fresh: polkit tells the process from a later one with
    // the same number by it.
    peer->startTime = StartTimeOf(peer->pid, peer->uid).value_or(0);
  }
  if (!peer || (!member && (!options_.polkit || peer->startTime == 0))) {
    refusals_.Refused("refused a connection of user " +
                      (peer ? std::to_string(peer->uid) : std::string("unknown")));
    return;
  }
  Reap();
  if (!SlotFree(peer->uid)) {
    refusals_.Refused("refused a connection of user " + std::to_string(peer->uid) +
                      ": no free connection");
    return;
  }
  auto connection = std::make_unique<Connection>();
  connection->fd = std::move(fd);
  connection->uid = peer->uid;
  Connection* raw = connection.get();
  const std::chrono::seconds idle(options_.idleTimeoutSeconds);
  // Polkit is asked on the connection's own thread, so that a slow answer holds up no
  // other client; the limits above bound how many questions one user can have open.
  raw->thread = std::thread([this, raw, idle, member, peer = *peer] {
    const int socket = raw->fd.Get();
    if (member || PolkitAdmits(peer, socket, context_.refused)) {
      RequestHandler handler(context_, peer,
                             member ? std::function<bool()>()
                                    : PolkitChangeAuthorization(peer, socket, context_.refused));
      ServeConnection(socket, handler, idle);
    }  // the connection's uses are given back here, before it counts as done
    raw->done = true;
    Wake();
  });
  connections_.push_back(std::move(connection));
}

// Root always finds the last connection free; no other user can hold more than its share.
bool Server::SlotFree(uid_t uid) const {
  const size_t total = connections_.size();
  if (uid == 0) return total < options_.maxClients;
  if (total + 1 >= options_.maxClients) return false;
  size_t own = 0;
  for (const auto& connection : connections_) own += connection->uid == uid ? 1 : 0;
  return own < options_.maxPerUser;
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
    const char* name = socketName_.c_str();
    if (fstatat(folder_.Get(), name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        info.st_ino == socketInode_) {
      unlinkat(folder_.Get(), name, 0);
    }
  }
  for (auto& connection : connections_) shutdown(connection->fd.Get(), SHUT_RDWR);
  for (auto& connection : connections_) connection->thread.join();
  connections_.clear();
}

}  // namespace pacetta::portex
