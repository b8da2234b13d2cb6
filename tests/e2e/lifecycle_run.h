#pragma once
// One run of the program on the simulated PC, with its own runtime, settings and log
// folders, and readers for what it shows: status lines and the monitoring log.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

extern const std::string kPacettaProgram;

// "CPU k: <clock>, <mult>, <volt>, load N% (OS N%), <temp> | <power source>[, <charge>] |
// <profile>", the charge and remaining time shown on battery only.
struct StatusLine {
  size_t end = 0;  // offset in the output just past the line
  std::string processor;
  std::string multiplier;
  std::string powerSource;
  std::string batteryCharge;
  std::string profile;
};

std::optional<StatusLine> ParseStatusLine(const std::string& line);
// Every complete status line that ends after `from`.
std::vector<StatusLine> StatusLines(const std::string& output, size_t from = 0);

class LifecycleRun {
 public:
  std::vector<std::string> Env() const;
  const std::string& ConfigHome() const { return config_.Path(); }
  const std::string& RuntimeDir() const { return runtime_.Path(); }
  std::string LogPath() const { return logs_.File("Pacetta.log"); }
  std::string LogArchivePath(int number) const;
  // Writes a power scenario file and returns its path.
  std::string Scenario(const std::string& steps) const;

  // `pacetta --simulate --console --log-folder=...` plus `extra`.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& extra = {}) const;
  // A second start with a command, run to its end.
  Finished Command(const std::vector<std::string>& arguments) const;

 private:
  TempFolder runtime_;
  TempFolder config_;
  TempFolder logs_;
  TempFolder scenarios_;
};

// Waits, at most `timeout`, for a status line after `from` that `wanted` accepts.
std::optional<StatusLine> WaitForStatus(ChildProcess& child,
                                        const std::function<bool(const StatusLine&)>& wanted,
                                        std::chrono::milliseconds timeout, size_t from = 0);

// Waits, at most `bound`, until `done` holds, looking every few milliseconds: for what
// announces nothing (files, the simulated registers).
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

// The monitoring log's lines, without their CR LF ends.
std::vector<std::string> ReadLogLines(const std::string& path);
// The milliseconds of the day of a sample line's time stamp; nullopt for other lines.
std::optional<int64_t> SampleTimeMs(const std::string& line);

}  // namespace pacetta::testing
