#include "app/addins/command_line.h"

namespace pacetta {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

std::optional<CommandLine> SplitCommandLine(std::string_view line) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) break;
    std::string part;
    bool quoted = false;
    for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
      const char c = line[at];
      if (c != '"') {
        part += c;
      } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
        part += '"';
        ++at;
      } else {
        quoted = !quoted;
      }
    }
    if (quoted) return std::nullopt;
    parts.push_back(std::move(part));
  }
  if (parts.empty() || parts.front().empty()) return std::nullopt;
  CommandLine command;
  command.program = std::move(parts.front());
  command.arguments.assign(std::make_move_iterator(parts.begin() + 1),
                           std::make_move_iterator(parts.end()));
  return command;
}

}  // namespace pacetta
