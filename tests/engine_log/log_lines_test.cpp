#include "engine/log/log_lines.h"

#include <gtest/gtest.h>

namespace pacetta {
namespace {

platform::LocalTime At(uint16_t hour, uint16_t minute, uint16_t second, uint16_t ms) {
  return platform::LocalTime{2024, 3, 7, hour, minute, second, ms};
}

CpuSample TypicalSample() {
  CpuSample s;
  s.clock = 1795.43;
  s.throttle = 1.0;
  s.multiplier = 9.0f;
  s.voltage = 1.35f;
  s.cpuLoad = 3.12;
  s.osLoad = 2.0;
  s.temperature = 41.5f;
  return s;
}

TEST(LogLines, SingleProcessorLinePadsFieldsAndNamesNoProcessor) {
  const LinePrefix prefix{At(12, 0, 1, 250), 0, false};
  EXPECT_EQ(SampleLine(prefix, TypicalSample(), 0),
            "12:00:01.250, Clock: 1795.43, Throttle:  100.00, FID:  9.0, VID: 1.350, "
            "CPULoad:   3.12, OSLoad:   2.00, CoreTemp: 41.5\r\n");
}

TEST(LogLines, MultiprocessorLinesNameTheProcessorAfterTheTime) {
  const LinePrefix prefix{At(9, 5, 7, 3), 1, true};
  EXPECT_EQ(SampleLine(prefix, TypicalSample(), 0x7E), "09:05:07.003, CPU: 1, Clock: 1795.43\r\n");
  CpuSample hot = TypicalSample();
  hot.overheat = 1;
  EXPECT_EQ(AlertLine(prefix, hot, 0), "09:05:07.003, CPU: 1, CPU OVERHEAT ALERT!\r\n");
}

TEST(LogLines, UnavailableValuesReadNA) {
  CpuSample s;
  s.clock = 0;
  s.throttle = -1;
  s.multiplier = 0;
  s.voltage = 0;
  s.cpuLoad = -1;
  s.osLoad = 0;
  s.temperature = -1;
  EXPECT_EQ(SampleLine({At(0, 0, 0, 0), 0, false}, s, 0),
            "00:00:00.000, Clock:    0.00, Throttle: N/A, FID: N/A, VID: N/A, CPULoad: N/A, "
            "OSLoad:   0.00, CoreTemp: N/A\r\n");
}

TEST(LogLines, EachFlagBitLeavesOutItsOwnField) {
  const LinePrefix prefix{At(1, 2, 3, 4), 0, false};
  const CpuSample s = TypicalSample();
  const char* fields[] = {
      "Clock:", "Throttle:", "FID:", "VID:", "CPULoad:", "OSLoad:", "CoreTemp:"};
  for (unsigned bit = 0; bit < 7; ++bit) {
    const std::string line = SampleLine(prefix, s, 1u << bit);
    for (unsigned other = 0; other < 7; ++other) {
      EXPECT_EQ(line.find(fields[other]) == std::string::npos, other == bit)
          << "flag bit " << bit << " field " << fields[other];
    }
  }
}

TEST(LogLines, AllFieldsOutLeavesOnlyAlertsAndBit7SilencesThem) {
  const LinePrefix prefix{At(1, 2, 3, 4), 0, false};
  CpuSample hot = TypicalSample();
  hot.overheat = 1;
  EXPECT_EQ(SampleLine(prefix, hot, 0x7F), "");
  EXPECT_EQ(AlertLine(prefix, hot, 0x7F), "01:02:03.004, CPU OVERHEAT ALERT!\r\n");
  EXPECT_EQ(SampleLine(prefix, hot, 0xFF), "");
  EXPECT_EQ(AlertLine(prefix, hot, 0xFF), "");
  EXPECT_EQ(AlertLine(prefix, TypicalSample(), 0), "") << "no alert without overheat";
}

TEST(LogLines, StartAndStopLinesCarryMonthFirstDate) {
  const platform::LocalTime t{2009, 11, 4, 7, 8, 9, 999};
  EXPECT_EQ(LogStartedLine(t), "--Log started 11/04/2009, 07:08:09\r\n");
  EXPECT_EQ(LogStoppedLine(t), "--Log stopped 11/04/2009, 07:08:09\r\n");
}

TEST(LogLines, FileTimeCountsHundredNanosecondsFrom1601) {
  EXPECT_EQ(FileTimeOf({1601, 1, 1, 0, 0, 0, 0}), 0);
  EXPECT_EQ(FileTimeOf({1970, 1, 1, 0, 0, 0, 0}), 116444736000000000);
  // Across a month and a leap day.
  EXPECT_EQ(FileTimeOf({2024, 3, 1, 0, 0, 0, 0}) - FileTimeOf({2024, 2, 28, 23, 59, 59, 500}),
            (86400 + 1) * 10'000'000LL - 5'000'000LL);
}

}  // namespace
}  // namespace pacetta
