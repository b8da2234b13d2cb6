#pragma once
#include <cstdint>
#include <string>

namespace pacetta::platform {

// How the program is started when the user logs on ("AutoRun").
enum class AutostartWay : int32_t {
  kOff = 0,
  // The desktop's autostart entry of the user.
  kLoginEntry = 1,
  // A service of the user's graphical session.
  kSessionService = 2,
};

// What an autostart entry starts and how it is described to the user.
struct AutostartProgram {
  std::string path;  // absolute path of the program
  std::string description;
};

// The user's start-at-logon entries of this program. At most one way is installed: setting
// one removes the other.
class Autostart {
 public:
  virtual ~Autostart() = default;
  // Installs `way` for `program` and removes the other way's entry (kOff removes both).
  // False when an entry could not be written or removed; what could be done is done.
  virtual bool Set(AutostartWay way, const AutostartProgram& program) = 0;
  // The entry of `way` exists but the user switched it off in the desktop's own settings:
  // it counts as off, and the program leaves it so.
  virtual bool SwitchedOff(AutostartWay way) = 0;
};

}  // namespace pacetta::platform
