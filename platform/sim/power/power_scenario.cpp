#include "platform/sim/power/power_scenario.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/sim/power/battery_pack.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kNsPerSecond = 1'000'000'000;
// Far beyond any run, and small enough that no time overflows in nanoseconds.
constexpr uint64_t kLongestSeconds = 1'000'000'000;
constexpr unsigned kMostBatteries = SimBatteryPack::kMostBatteries;

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : line) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// "3s", "1.5s", "250ms", "2min" in nanoseconds; exact for up to nine decimals.
std::optional<uint64_t> ParseTime(const std::string& word) {
  size_t i = 0;
  uint64_t whole = 0;
  for (; i < word.size() && std::isdigit(static_cast<unsigned char>(word[i])); ++i) {
    whole = whole * 10 + static_cast<uint64_t>(word[i] - '0');
    if (whole > kLongestSeconds * 1000) return std::nullopt;
  }
  if (i == 0) return std::nullopt;
  uint64_t fraction = 0;  // in units of 10^-9 of the unit
  if (i < word.size() && word[i] == '.') {
    ++i;
    uint64_t scale = kNsPerSecond / 10;
    const size_t first = i;
    for (; i < word.size() && std::isdigit(static_cast<unsigned char>(word[i])); ++i) {
      fraction += static_cast<uint64_t>(word[i] - '0') * scale;
      scale /= 10;
    }
    if (i == first) return std::nullopt;
  }
  const std::string unit = word.substr(i);
  uint64_t unitNs = 0;  // nanoseconds per unit, a multiple of 10^6
  if (unit == "ms") {
    unitNs = 1'000'000;
  } else if (unit == "s") {
    unitNs = kNsPerSecond;
  } else if (unit == "min") {
    unitNs = 60 * kNsPerSecond;
  } else {
    return std::nullopt;
  }
  if (whole * (unitNs / 1'000'000) > kLongestSeconds * 1000) return std::nullopt;
  return whole * unitNs + fraction * (unitNs / 1'000'000) / 1000;
}

std::optional<unsigned> ParsePercent(std::string word) {
  if (!word.empty() && word.back() == '%') word.pop_back();
  if (word.empty() || word.size() > 3) return std::nullopt;
  unsigned value = 0;
  for (const char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 100) return std::nullopt;
  return value;
}

// The machine as the steps so far leave it, to refuse a step that cannot happen.
struct ReplayState {
  bool onAc = true;
  bool asleep = false;
  unsigned batteries = 1;

  // Empty when `action` may follow; else why not.
  std::string Apply(PowerAction action) {
    switch (action) {
      case PowerAction::kPlug:
        if (onAc) return "the machine is already on AC power";
        onAc = true;
        break;
      case PowerAction::kUnplug:
        if (!onAc) return "the machine is already on battery";
        onAc = false;
        break;
      case PowerAction::kSuspend:
        if (asleep) return "the machine is already suspended";
        asleep = true;
        break;
      case PowerAction::kResume:
        if (!asleep) return "the machine is not suspended";
        asleep = false;
        break;
      case PowerAction::kBattery:
        if (batteries == 0) return "the machine has no battery";
        break;
      case PowerAction::kInsertBattery:
        if (batteries >= kMostBatteries) return "the machine holds no more batteries";
        ++batteries;
        break;
      case PowerAction::kRemoveBattery:
        if (batteries == 0) return "the machine has no battery";
        --batteries;
        break;
    }
    return {};
  }
};

}  // namespace

PowerScenarioParse ParsePowerScenario(std::string_view text, const std::string& name,
                                      unsigned batteries) {
  PowerScenarioParse result;
  std::vector<PowerStep> steps;
  ReplayState state;
  state.batteries = batteries;
  unsigned lineNumber = 0;
  const auto fail = [&](const std::string& message) {
    result.error = name + ":" + std::to_string(lineNumber) + ": " + message;
    return result;
  };
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = line.substr(0, line.find('#'));
    const auto words = Words(line);
    if (words.empty()) continue;

    PowerStep step;
    step.line = lineNumber;
    const auto at = ParseTime(words[0]);
    if (!at) return fail("bad time '" + words[0] + "' (a number with ms, s or min, as 3s)");
    step.atNs = *at;
    if (!steps.empty() && step.atNs < steps.back().atNs) {
      return fail("time " + words[0] + " is earlier than the step before");
    }
    if (words.size() < 2) return fail("missing action after " + words[0]);
    const std::string& action = words[1];
    size_t expected = 2;
    if (action == "plug") {
      step.action = PowerAction::kPlug;
    } else if (action == "unplug") {
      step.action = PowerAction::kUnplug;
    } else if (action == "suspend") {
      step.action = PowerAction::kSuspend;
    } else if (action == "resume") {
      step.action = PowerAction::kResume;
    } else if (action == "battery" && words.size() > 2 && words[2] == "insert") {
      step.action = PowerAction::kInsertBattery;
      expected = 3;
    } else if (action == "battery" && words.size() > 2 && words[2] == "remove") {
      step.action = PowerAction::kRemoveBattery;
      expected = 3;
    } else if (action == "battery") {
      step.action = PowerAction::kBattery;
      expected = 3;
      const auto percent = words.size() > 2 ? ParsePercent(words[2]) : std::nullopt;
      if (!percent) return fail("battery needs a charge of 0 to 100 %, insert or remove");
      step.percent = *percent;
    } else {
      return fail("unknown action '" + action +
                  "' (plug, unplug, suspend, resume, battery PERCENT, battery insert or "
                  "battery remove)");
    }
    if (words.size() > expected) return fail("unexpected '" + words[expected] + "'");
    if (const std::string why = state.Apply(step.action); !why.empty()) {
      // "battery insert" and "battery remove" are named whole.
      const std::string what = expected == 3 && step.action != PowerAction::kBattery
                                   ? words[1] + " " + words[2]
                                   : words[1];
      return fail(what + " cannot happen here: " + why);
    }
    steps.push_back(step);
  }
  result.steps = std::move(steps);
  return result;
}

PowerScenarioParse LoadPowerScenario(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) {
    PowerScenarioParse result;
    result.error = path + ": no such power scenario file";
    return result;
  }
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.is_open() || file.bad()) {
    PowerScenarioParse result;
    result.error = path + ": cannot read the power scenario";
    return result;
  }
  return ParsePowerScenario(text, path);
}

}  // namespace pacetta::sim
