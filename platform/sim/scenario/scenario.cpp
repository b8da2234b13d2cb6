#include "platform/sim/scenario/scenario.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/civil_time.h"
#include "platform/sim/power/battery_pack.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kNsPerSecond = 1'000'000'000;
// Far beyond any run, and small enough that no time overflows in nanoseconds.
constexpr uint64_t kLongestSeconds = 1'000'000'000;
constexpr unsigned kMostBatteries = SimBatteryPack::kMostBatteries;

// The words of a line as written: a program's name keeps its case.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : line) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::string Lowered(std::string word) {
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
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

// Digits only, as many as `text` has; nullopt for anything else.
std::optional<unsigned> Digits(std::string_view text) {
  unsigned value = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

// "2024-05-06" and "08:30:00" as UTC seconds. The kernel refuses a clock before 1970, so
// such a date is no time the machine could show.
std::optional<int64_t> ParseClock(const std::string& date, const std::string& time) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' || time.size() != 8 || time[2] != ':' ||
      time[5] != ':') {
    return std::nullopt;
  }
  const std::string_view d(date), t(time);
  const auto year = Digits(d.substr(0, 4)), month = Digits(d.substr(5, 2)),
             day = Digits(d.substr(8, 2)), hour = Digits(t.substr(0, 2)),
             minute = Digits(t.substr(3, 2)), second = Digits(t.substr(6, 2));
  if (!year || !month || !day || !hour || !minute || !second || *year < 1970) return std::nullopt;
  platform::LocalTime reading;
  reading.year = static_cast<uint16_t>(*year);
  reading.month = static_cast<uint16_t>(*month);
  reading.day = static_cast<uint16_t>(*day);
  reading.hour = static_cast<uint16_t>(*hour);
  reading.minute = static_cast<uint16_t>(*minute);
  reading.second = static_cast<uint16_t>(*second);
  const auto seconds = platform::UtcSecondsOf(reading);
  // The calendar check allows 29 February in every year; the way back tells.
  if (!seconds || platform::UtcReadingOf(*seconds).day != reading.day) return std::nullopt;
  return seconds;
}

// The machine as the steps so far leave it, to refuse a step that cannot happen.
struct ReplayState {
  bool onAc = true;
  bool asleep = false;
  unsigned batteries = 1;
  std::map<std::string, unsigned> running;  // the scenario's programs, by name

  // Empty when `step` may follow; else why not.
  std::string Apply(const ScenarioStep& step) {
    switch (step.action) {
      case ScenarioAction::kPlug:
        if (onAc) return "the machine is already on AC power";
        onAc = true;
        break;
      case ScenarioAction::kUnplug:
        if (!onAc) return "the machine is already on battery";
        onAc = false;
        break;
      case ScenarioAction::kSuspend:
        if (asleep) return "the machine is already suspended";
        asleep = true;
        break;
      case ScenarioAction::kResume:
        if (!asleep) return "the machine is not suspended";
        asleep = false;
        break;
      case ScenarioAction::kBattery:
        if (batteries == 0) return "the machine has no battery";
        break;
      case ScenarioAction::kInsertBattery:
        if (batteries >= kMostBatteries) return "the machine holds no more batteries";
        ++batteries;
        break;
      case ScenarioAction::kRemoveBattery:
        if (batteries == 0) return "the machine has no battery";
        --batteries;
        break;
      case ScenarioAction::kSetClock:
        break;
      // Nobody works on a sleeping machine.
      case ScenarioAction::kStartProgram:
        if (asleep) return "the machine is suspended";
        ++running[step.program];
        break;
      case ScenarioAction::kEndProgram:
        if (asleep) return "the machine is suspended";
        if (running[step.program] == 0) return "no program " + step.program + " is running";
        --running[step.program];
        break;
      case ScenarioAction::kInput:
        if (asleep) return "the machine is suspended";
        break;
    }
    return {};
  }
};

}  // namespace

ScenarioParse ParseScenario(std::string_view text, const std::string& name, unsigned batteries) {
  ScenarioParse result;
  std::vector<ScenarioStep> steps;
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
    const auto written = Words(line);
    if (written.empty()) continue;
    std::vector<std::string> words;
    for (const auto& word : written) words.push_back(Lowered(word));

    ScenarioStep step;
    step.line = lineNumber;
    const auto at = ParseTime(words[0]);
    if (!at) return fail("bad time '" + words[0] + "' (a number with ms, s or min, as 3s)");
    step.atNs = *at;
    if (!steps.empty() && step.atNs < steps.back().atNs) {
      return fail("time " + words[0] + " is earlier than the step before");
    }
    if (words.size() < 2) return fail("missing action after " + words[0]);
    const std::string& action = words[1];
    const std::string second = words.size() > 2 ? words[2] : "";
    std::string what = action;  // as an error names the step
    size_t expected = 2;
    if (action == "plug") {
      step.action = ScenarioAction::kPlug;
    } else if (action == "unplug") {
      step.action = ScenarioAction::kUnplug;
    } else if (action == "suspend") {
      step.action = ScenarioAction::kSuspend;
    } else if (action == "resume") {
      step.action = ScenarioAction::kResume;
    } else if (action == "battery" && (second == "insert" || second == "remove")) {
      step.action =
          second == "insert" ? ScenarioAction::kInsertBattery : ScenarioAction::kRemoveBattery;
      what += " " + second;
      expected = 3;
    } else if (action == "battery") {
      step.action = ScenarioAction::kBattery;
      expected = 3;
      const auto percent = words.size() > 2 ? ParsePercent(words[2]) : std::nullopt;
      if (!percent) return fail("battery needs a charge of 0 to 100 %, insert or remove");
      step.percent = *percent;
    } else if (action == "clock") {
      step.action = ScenarioAction::kSetClock;
      expected = 4;
      const auto seconds = words.size() > 3 ? ParseClock(words[2], words[3]) : std::nullopt;
      if (!seconds) {
        return fail("clock needs a date from 1970 and a time, as YYYY-MM-DD HH:MM:SS");
      }
      step.epochSeconds = *seconds;
    } else if (action == "process" && (second == "start" || second == "end") && words.size() > 3) {
      step.action = second == "start" ? ScenarioAction::kStartProgram : ScenarioAction::kEndProgram;
      what += " " + second;
      expected = 4;
      step.program = written[3];
      if (step.program.find('/') != std::string::npos) {
        return fail("a program is named by its file name alone, without folder: " + step.program);
      }
    } else if (action == "process") {
      return fail("process needs start or end and the program's file name");
    } else if (action == "input") {
      step.action = ScenarioAction::kInput;
    } else {
      return fail("unknown action '" + action +
                  "' (plug, unplug, suspend, resume, battery, clock, process or input)");
    }
    if (words.size() > expected) return fail("unexpected '" + words[expected] + "'");
    if (const std::string why = state.Apply(step); !why.empty()) {
      return fail(what + " cannot happen here: " + why);
    }
    steps.push_back(std::move(step));
  }
  result.steps = std::move(steps);
  return result;
}

ScenarioParse LoadScenario(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) {
    ScenarioParse result;
    result.error = path + ": no such scenario file";
    return result;
  }
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.is_open() || file.bad()) {
    ScenarioParse result;
    result.error = path + ": cannot read the scenario";
    return result;
  }
  return ParseScenario(text, path);
}

}  // namespace pacetta::sim
