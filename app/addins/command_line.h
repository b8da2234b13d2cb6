#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pacetta {

// A program and its parameters as a command line gives them: separated by blanks, a part
// in double quotes kept whole (with its blanks, without the quotes), two double quotes
// inside quotes standing for one.
struct CommandLine {
  std::string program;
  std::vector<std::string> arguments;
};

// Nullopt when the line names no program or leaves a quote open.
std::optional<CommandLine> SplitCommandLine(std::string_view line);

}  // namespace pacetta
