#pragma once
#include <cstdint>
#include <string>

#include "engine/log/log_flags.h"
#include "engine/monitor/cpu_sample.h"
#include "platform/local_time.h"

namespace pacetta {

// The text lines of the monitoring log, each ending in CR LF.
std::string LogStartedLine(const platform::LocalTime& time);
std::string LogStoppedLine(const platform::LocalTime& time);

// Where a record's lines belong: the time of the refresh, the processor, and whether the
// system has more than one (only then does the line name the processor).
struct LinePrefix {
  platform::LocalTime time;
  unsigned processor = 0;
  bool multiprocessor = false;
};

// The sample line; empty when `flags` leave every field out.
std::string SampleLine(const LinePrefix& prefix, const CpuSample& sample, uint32_t flags);
// The overheat alert line; empty unless the sample reports overheating and `flags` keep
// the alert.
std::string AlertLine(const LinePrefix& prefix, const CpuSample& sample, uint32_t flags);

// A local time as a 64-bit file time: 100-ns units since 1 January 1601.
int64_t FileTimeOf(const platform::LocalTime& time);

}  // namespace pacetta
