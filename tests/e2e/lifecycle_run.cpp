#include "tests/e2e/lifecycle_run.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace pacetta::testing {

const std::string kPacettaProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (size_t next = text.find(separator); next != std::string::npos;
       next = text.find(separator, at)) {
    parts.push_back(text.substr(at, next - at));
    at = next + separator.size();
  }
  parts.push_back(text.substr(at));
  return parts;
}

}  // namespace

std::optional<StatusLine> ParseStatusLine(const std::string& line) {
  if (line.rfind("CPU ", 0) != 0) return std::nullopt;
  const std::vector<std::string> parts = Split(line, " | ");
  if (parts.size() != 3) return std::nullopt;
  const auto colon = parts[0].find(": ");
  if (colon == std::string::npos) return std::nullopt;
  const std::vector<std::string> values = Split(parts[0].substr(colon + 2), ", ");
  if (values.size() < 3) return std::nullopt;
  StatusLine status;
  status.processor = parts[0].substr(4, colon - 4);
  status.multiplier = values[1];
  const auto charge = parts[1].find(", ");
  status.powerSource = parts[1].substr(0, charge);
  if (charge != std::string::npos) status.batteryCharge = parts[1].substr(charge + 2);
  status.profile = parts[2];
  return status;
}

std::vector<StatusLine> StatusLines(const std::string& output, size_t from) {
  std::vector<StatusLine> lines;
  size_t start = 0;
  for (size_t end = output.find('\n'); end != std::string::npos; end = output.find('\n', start)) {
    if (end >= from) {
      if (auto status = ParseStatusLine(output.substr(start, end - start))) {
        status->end = end + 1;
        lines.push_back(*status);
      }
    }
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> LifecycleRun::Env() const {
  return {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path(),
          "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
}

std::string LifecycleRun::LogArchivePath(int number) const {
  char name[32];
  std::snprintf(name, sizeof name, "Pacetta %03d.log", number);
  return logs_.File(name);
}

std::string LifecycleRun::Scenario(const std::string& steps) const {
  const std::string path = scenarios_.File("power.scenario");
  std::ofstream(path) << steps;
  return path;
}

std::unique_ptr<ChildProcess> LifecycleRun::Start(const std::vector<std::string>& extra) const {
  std::vector<std::string> arguments = {"--simulate", "--console", "--log-folder=" + logs_.Path()};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return std::make_unique<ChildProcess>(kPacettaProgram, arguments, Env());
}

Finished LifecycleRun::Command(const std::vector<std::string>& arguments) const {
  std::vector<std::string> all = {"--simulate"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return RunToEnd(kPacettaProgram, all, Env());
}

std::optional<StatusLine> WaitForStatus(ChildProcess& child,
                                        const std::function<bool(const StatusLine&)>& wanted,
                                        std::chrono::milliseconds timeout, size_t from) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  size_t seen = from;
  for (;;) {
    for (const StatusLine& line : StatusLines(child.Output(), seen)) {
      if (wanted(line)) return line;
      seen = line.end;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds(0)) return std::nullopt;
    // Returns at the next line, at the program's end, or when the time is up.
    const size_t mark = child.Mark();
    if (!child.WaitForOutput("\n", left, mark) && child.Mark() == mark) {
      if (child.WaitForExit(std::chrono::milliseconds(0)) != -1) return std::nullopt;
    }
  }
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::vector<std::string> ReadLogLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  std::vector<std::string> lines = Split(text.str(), "\r\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::optional<int64_t> SampleTimeMs(const std::string& line) {
  unsigned hour = 0, minute = 0, second = 0, millisecond = 0;
  char comma = 0;
  if (std::sscanf(line.c_str(), "%2u:%2u:%2u.%3u%c", &hour, &minute, &second, &millisecond,
                  &comma) != 5 ||
      comma != ',') {
    return std::nullopt;
  }
  return ((int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
}

}  // namespace pacetta::testing
