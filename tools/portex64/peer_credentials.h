#pragma once
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/portex64/helper_options.h"

namespace pacetta::portex {

// Who is at the other end of a connection, as the kernel recorded it at connect time.
struct PeerCredentials {
  pid_t pid = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  // The supplementary groups, null where the kernel cannot tell them (before 4.13).
  std::optional<std::vector<gid_t>> groups;
  // When the process started (clock ticks after boot), so that polkit can tell it from a
  // later process with the same number; 0 when unknown.
  uint64_t startTime = 0;
};

std::optional<PeerCredentials> CredentialsOf(int connection);

// The supplementary groups of `pid`, from the "Groups:" line of <procRoot>/<pid>/status;
// null when the process is gone or its effective user is no longer `uid` (the number
// was reused by another process). Only for kernels that cannot tell a peer's groups.
std::optional<std::vector<gid_t>> SupplementaryGroupsOf(pid_t pid, uid_t uid,
                                                        const std::string& procRoot = "/proc");

// The start time of `pid` (field 22 of <procRoot>/<pid>/stat); null when the process is
// gone or its effective user is no longer `uid`.
std::optional<uint64_t> StartTimeOf(pid_t pid, uid_t uid, const std::string& procRoot = "/proc");

// Root, the helper's own user, an allowed user, or a member of the allowed group
// (primary or supplementary).
bool PeerAllowed(const PeerCredentials& peer, const HelperOptions& options, uid_t helperUser);

}  // namespace pacetta::portex
