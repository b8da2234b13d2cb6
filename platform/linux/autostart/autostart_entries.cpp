#include "platform/linux/autostart/autostart_entries.h"

#include <sstream>
#include <string_view>

namespace pacetta::linux_os {
namespace {

// Characters that make a desktop entry's Exec argument need double quotes.
constexpr std::string_view kExecReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters a service's executable name must not hold, however quoted.
constexpr std::string_view kUnitRefused = "\"'\\";

bool HasAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A string value of a desktop entry: backslash and the control characters escaped.
std::string EntryValue(std::string_view text) {
  std::string value;
  for (const char c : text) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

// The program as the one argument of an Exec line: quoted where needed, with '"', '`',
// '$' and '\' escaped inside the quotes and '%' doubled (it starts a field code).
std::string ExecArgument(std::string_view path) {
  std::string argument;
  const bool quoted = HasAny(path, kExecReserved);
  if (quoted) argument += '"';
  for (const char c : path) {
    if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
    argument += c;
    if (c == '%') argument += '%';
  }
  if (quoted) argument += '"';
  return argument;
}

// One word of a unit's command line, always quoted: C escapes, '%' doubled (specifiers)
// and, where `expanded`, '$' doubled (variables; the executable's name is not expanded).
std::string UnitWord(std::string_view word, bool expanded) {
  std::string quoted = "\"";
  for (const char c : word) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '%':
        quoted += "%%";
        break;
      case '$':
        quoted += expanded ? "$$" : "$";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string LoginEntryText(const platform::AutostartProgram& program) {
  std::ostringstream text;
  text << "[Desktop Entry]\n"
       << "Type=Application\n"
       << "Name=" << EntryValue(program.description) << "\n"
       << "Exec=" << EntryValue(ExecArgument(program.path)) << "\n"
       << "Icon=pacetta\n"
       << "Terminal=false\n";
  return text.str();
}

std::string SessionServiceText(const platform::AutostartProgram& program) {
  // The service manager refuses some characters in an executable's name; such a program
  // is started through env(1), which takes the name as an argument.
  const std::string command = HasAny(program.path, kUnitRefused) || HasControl(program.path)
                                  ? "/usr/bin/env " + UnitWord(program.path, true)
                                  : UnitWord(program.path, false);
  std::ostringstream text;
  text << "[Unit]\n"
       << "Description=" << OneLine(program.description) << "\n"
       << "PartOf=graphical-session.target\n"
       << "After=graphical-session.target\n"
       << "\n"
       << "[Service]\n"
       << "ExecStart=" << command
       << "\n"
       // The program starts itself again to change its language: the service lasts while
       // any of its processes runs, so the new instance is not stopped with the old one.
       << "ExitType=cgroup\n"
       << "\n"
       << "[Install]\n"
       << "WantedBy=graphical-session.target\n";
  return text.str();
}

bool EntrySwitchedOff(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  bool inEntry = false;
  bool hidden = false;
  bool disabled = false;
  while (std::getline(lines, line)) {
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '#') continue;
    if (content.front() == '[') {
      inEntry = content == "[Desktop Entry]";
      continue;
    }
    const auto equals = content.find('=');
    if (!inEntry || equals == std::string_view::npos) continue;
    const std::string_view key = Trimmed(content.substr(0, equals));
    const std::string_view value = Trimmed(content.substr(equals + 1));
    if (key == "Hidden") hidden = value == "true";
    if (key == "X-GNOME-Autostart-enabled") disabled = value == "false";
  }
  return hidden || disabled;
}

}  // namespace pacetta::linux_os
