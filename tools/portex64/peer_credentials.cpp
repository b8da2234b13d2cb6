#include "tools/portex64/peer_credentials.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/linux/helper_socket.h"

namespace pacetta::portex {

namespace {

// The groups the peer had when it connected (SO_PEERGROUPS); null when the kernel does
// not know the option.
std::optional<std::vector<gid_t>> PeerGroups(int connection) {
  std::vector<gid_t> groups(64);
  for (;;) {
    socklen_t size = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    if (getsockopt(connection, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &size) == 0) {
      groups.resize(size / sizeof(gid_t));
      return groups;
    }
    // Too small a buffer: the size needed is in `size`.
    if (errno != ERANGE || size <= groups.size() * sizeof(gid_t)) return std::nullopt;
    groups.resize(size / sizeof(gid_t));
  }
}

}  // namespace

std::optional<PeerCredentials> CredentialsOf(int connection) {
  const auto peer = linux_os::PeerOf(connection);
  if (!peer) return std::nullopt;
  return PeerCredentials{peer->pid, peer->uid, peer->gid, PeerGroups(connection)};
}

std::optional<std::vector<gid_t>> SupplementaryGroupsOf(pid_t pid, uid_t uid,
                                                        const std::string& procRoot) {
  std::ifstream status(procRoot + "/" + std::to_string(pid) + "/status");
  if (!status) return std::nullopt;
  std::optional<std::vector<gid_t>> groups;
  bool sameUser = false;
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    if (key == "Uid:") {
      unsigned long real = 0, effective = 0;
      fields >> real >> effective;
      sameUser = fields && effective == uid;
    } else if (key == "Groups:") {
      groups.emplace();
      for (unsigned long gid; fields >> gid;) groups->push_back(static_cast<gid_t>(gid));
    }
  }
  if (!sameUser) return std::nullopt;
  return groups;
}

bool PeerAllowed(const PeerCredentials& peer, const HelperOptions& options, uid_t helperUser) {
  if (peer.uid == 0 || peer.uid == helperUser) return true;
  const auto& uids = options.allowUids;
  if (std::find(uids.begin(), uids.end(), peer.uid) != uids.end()) return true;
  if (!options.group) return false;
  if (peer.gid == *options.group) return true;
  const auto groups = peer.groups ? peer.groups : SupplementaryGroupsOf(peer.pid, peer.uid);
  return groups && std::find(groups->begin(), groups->end(), *options.group) != groups->end();
}

}  // namespace pacetta::portex
