#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pacetta {

enum class CommandKind {
  kNone,  // no argument, or a profile command without its number
  kHelp,
  kUnload,
  kProfile,
  kNextProfile,
  kPrevProfile,
  kResume,
  kExit,
  kOther,
};

struct Command {
  CommandKind kind = CommandKind::kNone;
  uint32_t profile = 0;  // with kProfile
};

// Only the first argument selects the command, compared without regard to case after
// one leading '-' or '/' is dropped; "profile" takes the second as a decimal number.
Command ParseCommand(const std::vector<std::string>& arguments);

}  // namespace pacetta
