#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// What the system is asked to do by a user's rule.
enum class SystemPowerRequest : uint8_t {
  kStandby,    // sleep to memory
  kHibernate,  // sleep to disk
  kPowerOff,   // shut the machine down
};

const char* SystemPowerRequestName(SystemPowerRequest request);

// The user's session as the events and actions see it: the programs running in it, the
// time since the user last touched keyboard or pointer, and the requests that end it.
class UserSession {
 public:
  virtual ~UserSession() = default;
  // The file names (without folder) of the executables of the running processes that
  // this program may inspect, at most `limit`; the others are left out.
  virtual std::vector<std::string> RunningProgramNames(size_t limit) = 0;
  // Whether the desktop tells the time since the last input at all; where it cannot,
  // the rules on it are unavailable, never silently inactive.
  virtual bool IdleTimeAvailable() = 0;
  // Milliseconds since the last keyboard or pointer input; nullopt when it cannot be
  // read now.
  virtual std::optional<uint32_t> IdleMilliseconds() = 0;
  // Asks the system to sleep, hibernate or power off, as the user could from the
  // desktop (its locks and permissions apply); false when refused or not possible.
  virtual bool RequestSystemPower(SystemPowerRequest request) = 0;
};

}  // namespace pacetta::platform
