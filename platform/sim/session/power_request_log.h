#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/driver/trace_file.h"
#include "platform/user_session.h"

namespace pacetta::sim {

// A system power request of the user's session, as the simulated PC took it.
struct PowerRequestRecord {
  uint64_t sinceStartNs = 0;  // on the machine's clock, from its start
  platform::SystemPowerRequest request = platform::SystemPowerRequest::kStandby;

  bool operator==(const PowerRequestRecord&) const = default;
};

// Every system power request in order, kept in memory and, with `--sim-actions=FILE`,
// written to the file as it comes (docs/simulated-power.md): one line each, the seconds
// since the machine's start with three decimals and the request's name,
//   12.345 standby
// A failed write ends the file's record with one notice; the memory keeps recording.
// Not safe for several threads: its owner serialises the calls.
class PowerRequestLog {
 public:
  // `file` null: in memory only. `notices`: where a failed write is told.
  explicit PowerRequestLog(std::unique_ptr<TraceFile> file = nullptr, std::FILE* notices = stderr)
      : file_(std::move(file)), notices_(notices) {}

  void Record(const PowerRequestRecord& record);
  const std::vector<PowerRequestRecord>& Records() const { return records_; }

  // The record's line in the file, with its end of line.
  static std::string LineOf(const PowerRequestRecord& record);

 private:
  std::unique_ptr<TraceFile> file_;
  std::FILE* notices_;
  std::vector<PowerRequestRecord> records_;
};

}  // namespace pacetta::sim
