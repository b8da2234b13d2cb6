#include "app/startup/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace pacetta {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Decimal as the C library reads it: leading digits, anything else ends the number.
uint32_t DecimalOf(const std::string& text) {
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

}  // namespace

Command ParseCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {};
  std::string word = arguments[0];
  if (!word.empty() && (word[0] == '-' || word[0] == '/')) word.erase(0, 1);
  word = Lower(word);
  if (word == "?" || word == "help") return {CommandKind::kHelp};
  if (word == "unload") return {CommandKind::kUnload};
  if (word == "profile") {
    if (arguments.size() < 2) return {};
    return {CommandKind::kProfile, DecimalOf(arguments[1])};
  }
  if (word == "nextprofile") return {CommandKind::kNextProfile};
  if (word == "prevprofile") return {CommandKind::kPrevProfile};
  if (word == "resume") return {CommandKind::kResume};
  if (word == "exit") return {CommandKind::kExit};
  return {CommandKind::kOther};
}

}  // namespace pacetta
