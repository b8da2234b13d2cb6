#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/log/log_flags.h"
#include "engine/monitor/cpu_sample.h"
#include "platform/local_time.h"
#include "platform/log_files.h"

namespace pacetta {

// What the log settings ask of each record.
struct LogOptions {
  uint32_t flags = 0;                // "LoggingFlags"
  int64_t maxPeriodSeconds = 86400;  // "MaxLoggingPeriod"
};

// Returned once when the log had to stop: the disk is full or the folder cannot be
// written. Logging stays off until the next Start.
struct LogHalted {
  platform::FileFault fault = platform::FileFault::kNone;
  std::string path;
};

// The monitoring log "Pacetta.log" and its archives in the program's folder. Every
// operation opens the file anew and closes it again; no handle lives between refreshes.
// Used by the main thread only.
class MonitoringLog {
 public:
  MonitoringLog(platform::LogFiles& files, platform::LocalClock& clock, std::string folder);

  // Appends the start line and remembers the start time (also when the line could not be
  // written, so that a failed start does not restart the log at every refresh).
  std::optional<LogHalted> Start();
  // Appends the stop line.
  std::optional<LogHalted> Stop();
  // Moves the current log, if any, to the lowest free archive number.
  void Archive();
  // Appends one record: the sample line and any alert line of every processor, then
  // restarts the log when it has covered the period.
  std::optional<LogHalted> WriteRecords(std::span<const CpuSample> samples,
                                        const LogOptions& options);

  bool Halted() const { return halted_; }
  const std::string& CurrentPath() const { return currentPath_; }

 private:
  // Opens the current log; on a fault that will not mend by itself, halts the log.
  std::unique_ptr<platform::AppendFile> Open(std::optional<LogHalted>& notice);
  // Appends one line; false (and possibly a notice) when it failed.
  bool Append(platform::AppendFile& file, const std::string& line,
              std::optional<LogHalted>& notice);
  void HaltOn(platform::FileFault fault, std::optional<LogHalted>& notice);
  bool PeriodCovered(int64_t maxPeriodSeconds);

  platform::LogFiles& files_;
  platform::LocalClock& clock_;
  std::string folder_;
  std::string currentPath_;
  int64_t startFileTime_ = 0;
  bool halted_ = false;
};

}  // namespace pacetta
