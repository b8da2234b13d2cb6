#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace pacetta::portex {

// The process polkit is asked about: its number, start time and user together, so that
// a process that ended cannot lend its answer to a later one with the same number.
struct PolkitSubject {
  pid_t pid = 0;
  uint64_t startTime = 0;
  uid_t uid = 0;
};

struct PolkitAnswer {
  bool authorized = false;
  std::string why;  // for the refusal log when not authorized
};

// Asks polkit on the system bus whether `subject` may do `action`. With `interactive`, an
// authentication agent of the subject's session may ask its user for a password. Not
// authorized when polkit cannot be reached, after `timeout`, or once `connection` (the
// client's socket) is hung up or shut down: by the client, or by the helper ending.
PolkitAnswer AskPolkit(const PolkitSubject& subject, const char* action, bool interactive,
                       std::chrono::milliseconds timeout, int connection);

}  // namespace pacetta::portex
