#include "tools/portex64/polkit_gate.h"

#include <chrono>
#include <utility>

#include "tools/portex64/polkit_check.h"

namespace pacetta::portex {
namespace {

using namespace std::chrono_literals;

// Polkit answers a question without interaction at once; a client should not wait
// longer than this to learn that it may not connect.
constexpr std::chrono::milliseconds kConnectTimeout = 5s;
// Long enough for a user to type the administrator's password into the agent's dialogue.
constexpr std::chrono::milliseconds kInteractiveTimeout = 120s;

PolkitSubject SubjectOf(const PeerCredentials& peer) {
  return {peer.pid, peer.startTime, peer.uid};
}

void Report(const RefusalReport& refused, const std::string& line) {
  if (refused) refused(line);
}

}  // namespace

bool PolkitAdmits(const PeerCredentials& peer, int connection, const RefusalReport& refused) {
  const PolkitAnswer answer =
      AskPolkit(SubjectOf(peer), kReadSensorsAction, false, kConnectTimeout, connection);
  if (!answer.authorized) {
    Report(refused, "refused a connection of user " + std::to_string(peer.uid) + ": " + answer.why);
  }
  return answer.authorized;
}

std::function<bool()> PolkitChangeAuthorization(const PeerCredentials& peer, int connection,
                                                RefusalReport refused) {
  return [peer, connection, refused = std::move(refused)] {
    const PolkitAnswer answer =
        AskPolkit(SubjectOf(peer), kChangeStatesAction, true, kInteractiveTimeout, connection);
    if (!answer.authorized) {
      Report(refused,
             "refused hardware changes of user " + std::to_string(peer.uid) + ": " + answer.why);
    }
    return answer.authorized;
  };
}

}  // namespace pacetta::portex
