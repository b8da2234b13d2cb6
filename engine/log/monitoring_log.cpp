#include "engine/log/monitoring_log.h"

#include <utility>

#include "engine/log/log_lines.h"
#include "engine/log/log_paths.h"

namespace pacetta {

MonitoringLog::MonitoringLog(platform::LogFiles& files, platform::LocalClock& clock,
                             std::string folder)
    : files_(files),
      clock_(clock),
      folder_(std::move(folder)),
      currentPath_(CurrentLogPath(folder_)) {}

void MonitoringLog::HaltOn(platform::FileFault fault, std::optional<LogHalted>& notice) {
  // Anything else may pass by itself: the next refresh tries again, silently.
  if (fault != platform::FileFault::kNoSpace && fault != platform::FileFault::kNotWritable) {
    return;
  }
  if (!halted_) notice = LogHalted{fault, currentPath_};
  halted_ = true;
}

std::unique_ptr<platform::AppendFile> MonitoringLog::Open(std::optional<LogHalted>& notice) {
  platform::FileFault fault = platform::FileFault::kNone;
  auto file = files_.OpenForAppend(currentPath_, fault);
  if (!file) HaltOn(fault, notice);
  return file;
}

bool MonitoringLog::Append(platform::AppendFile& file, const std::string& line,
                           std::optional<LogHalted>& notice) {
  const platform::FileFault fault = file.Append(line);
  if (fault == platform::FileFault::kNone) return true;
  HaltOn(fault, notice);
  return false;
}

std::optional<LogHalted> MonitoringLog::Start() {
  std::optional<LogHalted> notice;
  halted_ = false;  // a new start tries again, whatever stopped the log before
  const platform::LocalTime now = clock_.Now();
  startFileTime_ = FileTimeOf(now);
  if (auto file = Open(notice)) Append(*file, LogStartedLine(now), notice);
  return notice;
}

std::optional<LogHalted> MonitoringLog::Stop() {
  std::optional<LogHalted> notice;
  if (halted_) return notice;
  if (auto file = Open(notice)) Append(*file, LogStoppedLine(clock_.Now()), notice);
  return notice;
}

void MonitoringLog::Archive() {
  if (!files_.Exists(currentPath_)) return;
  unsigned number = 0;
  while (number < kLastArchiveNumber && files_.Exists(ArchivedLogPath(folder_, number))) {
    ++number;
  }
  // A failed move leaves the log in place; the next start line is appended to it.
  files_.MoveReplacing(currentPath_, ArchivedLogPath(folder_, number));
}

bool MonitoringLog::PeriodCovered(int64_t maxPeriodSeconds) {
  constexpr int64_t kPerSecond = 10'000'000;
  return FileTimeOf(clock_.Now()) - startFileTime_ >= maxPeriodSeconds * kPerSecond;
}

std::optional<LogHalted> MonitoringLog::WriteRecords(std::span<const CpuSample> samples,
                                                     const LogOptions& options) {
  std::optional<LogHalted> notice;
  if (halted_) return notice;
  {
    auto file = Open(notice);
    if (!file) return notice;
    LinePrefix prefix{clock_.Now(), 0, samples.size() >= 2};
    for (size_t i = 0; i < samples.size(); ++i) {
      prefix.processor = static_cast<unsigned>(i);
      for (const std::string& line : {SampleLine(prefix, samples[i], options.flags),
                                      AlertLine(prefix, samples[i], options.flags)}) {
        if (line.empty()) continue;
        if (!Append(*file, line, notice)) return notice;
      }
    }
  }  // closed before a restart reopens it
  if (PeriodCovered(options.maxPeriodSeconds)) {
    if (auto stopped = Stop()) return stopped;
    Archive();
    return Start();
  }
  return notice;
}

}  // namespace pacetta
