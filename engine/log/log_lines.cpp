#include "engine/log/log_lines.h"

#include <chrono>
#include <cstdio>

namespace pacetta {
namespace {

template <class... Values>
std::string Printed(const char* format, Values... values) {
  char text[96];
  const int length = std::snprintf(text, sizeof text, format, values...);
  if (length < 0) return {};
  return std::string(text, static_cast<size_t>(length) < sizeof text ? length : sizeof text - 1);
}

std::string DateLine(const char* label, const platform::LocalTime& t) {
  return Printed("--Log %s %02hu/%02hu/%04hu, %02hu:%02hu:%02hu\r\n", label, t.month, t.day, t.year,
                 t.hour, t.minute, t.second);
}

std::string PrefixText(const LinePrefix& prefix) {
  const auto& t = prefix.time;
  std::string text = Printed("%02hu:%02hu:%02hu.%03hu", t.hour, t.minute, t.second, t.millisecond);
  if (prefix.multiprocessor) text += Printed(", CPU: %d", static_cast<int>(prefix.processor));
  return text;
}

}  // namespace

std::string LogStartedLine(const platform::LocalTime& time) {
  return DateLine("started", time);
}

std::string LogStoppedLine(const platform::LocalTime& time) {
  return DateLine("stopped", time);
}

std::string SampleLine(const LinePrefix& prefix, const CpuSample& s, uint32_t flags) {
  if ((flags & log_flags::kAllSampleFields) == log_flags::kAllSampleFields) return {};
  std::string line = PrefixText(prefix);
  const auto add = [&line](const std::string& field) { line += ", " + field; };
  if (!(flags & log_flags::kNoClock)) add(Printed("Clock: %7.2lf", s.clock));
  if (!(flags & log_flags::kNoThrottle)) {
    add(s.throttle < 0 ? "Throttle: N/A" : Printed("Throttle: %7.2lf", s.throttle * 100.0));
  }
  if (!(flags & log_flags::kNoFid)) {
    add(s.multiplier == 0 ? "FID: N/A" : Printed("FID: %4.1f", static_cast<double>(s.multiplier)));
  }
  if (!(flags & log_flags::kNoVid)) {
    add(s.voltage == 0 ? "VID: N/A" : Printed("VID: %5.3f", static_cast<double>(s.voltage)));
  }
  if (!(flags & log_flags::kNoCpuLoad)) {
    add(s.cpuLoad < 0 ? "CPULoad: N/A" : Printed("CPULoad: %6.2lf", s.cpuLoad));
  }
  if (!(flags & log_flags::kNoOsLoad)) add(Printed("OSLoad: %6.2lf", s.osLoad));
  if (!(flags & log_flags::kNoCoreTemp)) {
    add(s.temperature < 0 ? "CoreTemp: N/A"
                          : Printed("CoreTemp: %3.1f", static_cast<double>(s.temperature)));
  }
  return line + "\r\n";
}

std::string AlertLine(const LinePrefix& prefix, const CpuSample& sample, uint32_t flags) {
  if (sample.overheat == 0 || (flags & log_flags::kNoOverheatAlert)) return {};
  return PrefixText(prefix) + ", CPU OVERHEAT ALERT!\r\n";
}

int64_t FileTimeOf(const platform::LocalTime& time) {
  using namespace std::chrono;
  constexpr int64_t kPerSecond = 10'000'000;
  const sys_days date{year{time.year} / month{time.month} / day{time.day}};
  const sys_days epoch{year{1601} / January / 1};
  const int64_t days = (date - epoch).count();
  const int64_t seconds = days * 86400 + time.hour * 3600 + time.minute * 60 + time.second;
  return seconds * kPerSecond + int64_t{time.millisecond} * 10'000;
}

}  // namespace pacetta
