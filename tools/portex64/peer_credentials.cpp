#include "tools/portex64/peer_credentials.h"

#include <sys/socket.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace pacetta::portex {

std::optional<PeerCredentials> CredentialsOf(int connection) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
    return std::nullopt;
  }
  return PeerCredentials{credentials.pid, credentials.uid, credentials.gid};
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

bool PeerAllowed(const PeerCredentials& peer, const HelperOptions& options) {
  if (peer.uid == 0) return true;
  const auto& uids = options.allowUids;
  if (std::find(uids.begin(), uids.end(), peer.uid) != uids.end()) return true;
  if (!options.group) return false;
  if (peer.gid == *options.group) return true;
  const auto groups = SupplementaryGroupsOf(peer.pid, peer.uid);
  return groups && std::find(groups->begin(), groups->end(), *options.group) != groups->end();
}

}  // namespace pacetta::portex
