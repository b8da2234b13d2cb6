#include "tools/portex64/peer_credentials.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

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

std::optional<uint64_t> StartTimeOf(pid_t pid, uid_t uid, const std::string& procRoot) {
  // Both files through one open folder: the number cannot pass to another process between
  // the two reads.
  const std::string path = procRoot + "/" + std::to_string(pid);
  const linux_os::UniqueFd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) return std::nullopt;
  const auto text = [&](const char* name) {
    std::string content;
    const linux_os::UniqueFd file(openat(folder.Get(), name, O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    for (ssize_t got; file.Valid() && (got = read(file.Get(), buffer, sizeof buffer)) > 0;) {
      content.append(buffer, static_cast<size_t>(got));
    }
    return content;
  };
  // The command name, field 2, may hold blanks and parentheses: count from its last ')'.
  const std::string stat = text("stat");
  const auto nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(nameEnd + 1));
  std::string field;
  for (int n = 3; n < 22; ++n) fields >> field;
  uint64_t startTime = 0;
  if (!(fields >> startTime)) return std::nullopt;
  std::istringstream status(text("status"));
  for (std::string line; std::getline(status, line);) {
    std::istringstream words(line);
    std::string key;
    unsigned long real = 0, effective = 0;
    if (words >> key >> real >> effective && key == "Uid:") {
      if (effective != uid) return std::nullopt;
      return startTime;
    }
  }
  return std::nullopt;
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
