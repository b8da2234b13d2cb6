// Writes the manual page pacetta(1) from the program's own usage text and command help,
// so the page never describes options the program does not have.
//
// Usage: make_manpage VERSION OUTPUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main/program_options.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "app/strings/string_table.h"

namespace {

struct Entry {
  std::string name;
  std::string text;
};

// roff takes a leading dot or quote as a request and a backslash as an escape.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// The usage text's option lines: "  --name...  text", continued on lines indented past
// the names.
std::vector<Entry> UsageOptions(const std::string& usage) {
  std::vector<Entry> options;
  std::istringstream lines(usage);
  std::string line;
  bool inOptions = false;
  while (std::getline(lines, line)) {
    if (line == "Options:") {
      inOptions = true;
      continue;
    }
    if (!inOptions) continue;
    if (line.empty()) break;
    if (line.rfind("  -", 0) == 0) {
      const std::string body = line.substr(2);
      const size_t gap = body.find("  ");
      options.push_back(gap == std::string::npos
                            ? Entry{body, ""}
                            : Entry{body.substr(0, gap), Trimmed(body.substr(gap))});
    } else if (!options.empty()) {
      options.back().text += " " + Trimmed(line);
    }
  }
  return options;
}

// The command help: "-name - text" paragraphs separated by blank lines; indented lines
// (the profile numbers) keep their own lines.
std::vector<Entry> HelpCommands(const std::string& help) {
  std::vector<Entry> commands;
  std::istringstream lines(help);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    const size_t dash = line.find(" - ");
    if (line[0] == '-' && dash != std::string::npos) {
      commands.push_back({line.substr(0, dash), line.substr(dash + 3)});
    } else if (!commands.empty()) {
      commands.back().text += (line[0] == '\t' ? "\n" : " ") + Trimmed(line);
    }
  }
  return commands;
}

void WriteEntries(std::ostream& out, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    out << ".TP\n.B " << Escaped(entry.name) << "\n";
    std::istringstream parts(entry.text);
    std::string part;
    bool first = true;
    while (std::getline(parts, part)) {
      if (!first) out << ".br\n";
      out << Escaped(part) << "\n";
      first = false;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_manpage VERSION OUTPUT\n";
    return 2;
  }
  const pacetta::StringTable strings;
  using pacetta::FormatText;
  const std::string help = FormatText(strings.Get(pacetta::kStrHelp),
                                      {"pacetta", strings.Get(pacetta::kStrProfileNoManagement),
                                       strings.Get(pacetta::kStrProfilePowerSaving),
                                       strings.Get(pacetta::kStrProfileMaxPerformance),
                                       strings.Get(pacetta::kStrProfileOnDemand), "Portex64"});
  std::vector<Entry> options = UsageOptions(pacetta::kProgramUsage);
  // On the terminal the usage text is "this text"; a manual names it.
  for (Entry& option : options) {
    if (option.text == "this text") option.text = "print the usage text and end";
  }
  const std::vector<Entry> commands = HelpCommands(help);
  if (options.empty() || commands.empty()) {
    std::cerr << "make_manpage: the usage text or the command help has no entries\n";
    return 1;
  }

  std::ostringstream page;
  page << ".TH PACETTA 1 \"\" \"Tarvello " << argv[1] << "\" \"User Commands\"\n"
       << ".SH NAME\npacetta \\- watch processors and keep them in a profile's performance state\n"
       << ".SH SYNOPSIS\n.B pacetta\n[\\fIoptions\\fR] [\\fIcommand\\fR]\n"
       << ".SH DESCRIPTION\n"
       << ".B pacetta\nidentifies every processor, measures its clock, throttle, multiplier, "
          "voltage, load and temperature, and keeps it in the performance state that the "
          "profile in use asks for, switching profiles with AC power and battery. With a "
          "display it runs as a tray program with a main window; without one, or with "
          "\\fB\\-\\-console\\fR, it prints its status as lines on the terminal.\n"
       << ".PP\nRegisters are reached through the helper \\fBPortex64\\fR, which runs as "
          "the system service \\fBportex64.service\\fR. Members of the group "
          "\\fBpacetta\\fR use it without a password; the user of the active local "
          "session may read the sensors and, after authenticating as an administrator, "
          "change performance states.\n"
       << ".PP\nA command given while the program runs is passed to the running instance, "
          "which carries it out; the new instance then ends.\n"
       << ".SH OPTIONS\n";
  WriteEntries(page, options);
  page << ".SH COMMANDS\nCommands may also be written with \\fB/\\fR instead of \\fB\\-\\fR.\n";
  WriteEntries(page, commands);
  page << ".SH FILES\n"
       << ".TP\n.I ~/.config/pacetta/\nthe user's settings and profiles\n"
       << ".TP\n.I ~/.local/state/pacetta/\nthe monitoring log of an installed copy\n"
       << ".TP\n.I /usr/lib/pacetta/\nthe helpers, add-ins and language modules\n"
       << ".TP\n.I /run/pacetta/Portex64.sock\nthe helper service's socket\n"
       << ".SH SEE ALSO\n.BR systemctl (1),\n.BR pkexec (1)\n";

  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << page.str();
  out.close();
  if (!out) {
    std::cerr << "make_manpage: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
