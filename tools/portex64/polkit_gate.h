#pragma once
#include <functional>
#include <string>

#include "tools/portex64/peer_credentials.h"

namespace pacetta::portex {

// What a user outside the group may do with --polkit, as the administrator's polkit rules
// decide: read the sensors (asked at connect time, without asking the user anything), and
// change hardware state (asked at the connection's first change; the user's
// authentication agent may ask for a password).
inline constexpr const char* kReadSensorsAction = "com.norvane.pacetta.read-sensors";
inline constexpr const char* kChangeStatesAction = "com.norvane.pacetta.change-states";

using RefusalReport = std::function<void(const std::string&)>;

// Whether `peer` may keep its `connection`; a refusal goes to `refused`.
bool PolkitAdmits(const PeerCredentials& peer, int connection, const RefusalReport& refused);

// The question a RequestHandler asks at the first change `peer` sends on `connection`.
std::function<bool()> PolkitChangeAuthorization(const PeerCredentials& peer, int connection,
                                                RefusalReport refused);

}  // namespace pacetta::portex
