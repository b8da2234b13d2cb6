// What the Monitoring page shows of a sample, and on which scales, without Qt.
#include <gtest/gtest.h>

#include <cmath>

#include "app/desktop/monitor_history.h"
#include "tests/ui_pages/page_model.h"

namespace pacetta::ui {
namespace {

using testing::PageModel;

// The FID scale is the multiplier between the table's slowest and fastest states, the
// VID scale their voltage, the clocks reach the highest multiplier at the bus clock.
// Today's processors keep their FIDs in MHz and have no VID: the scale is still in
// multipliers, and the voltage has no scale and no value.
TEST(MonitoringSeries, ScalesFollowTheProcessorsStatesInMultipliersAndVolts) {
  struct Case {
    const char* machine;
    SeriesScale multiplier, voltage;
  } const cases[] = {
      {"k8-x2-laptop", {4.0, 9.0}, {0.95, 1.125}},
      {"zen-laptop", {14.0, 42.0}, {}},
  };
  for (const Case& c : cases) {
    const PageModel model(c.machine, false);
    const auto scales = SeriesScales(model.Processor0(), model.settings.profiles.Table(), 200.0);
    const SeriesScale& multiplier = scales[kMonitorFidVid][0];
    const SeriesScale& voltage = scales[kMonitorFidVid][1];
    EXPECT_DOUBLE_EQ(multiplier.min, c.multiplier.min) << c.machine;
    EXPECT_DOUBLE_EQ(multiplier.max, c.multiplier.max) << c.machine;
    EXPECT_NEAR(voltage.min, c.voltage.min, 1e-6) << c.machine;
    EXPECT_NEAR(voltage.max, c.voltage.max, 1e-6) << c.machine;
    EXPECT_EQ(scales[kMonitorClock][0], (SeriesScale{0.0, c.multiplier.max * 200.0})) << c.machine;
    EXPECT_EQ(scales[kMonitorClock][1], scales[kMonitorClock][0]) << c.machine;
    EXPECT_EQ(scales[kMonitorLoad][1], (SeriesScale{0.0, 100.0})) << c.machine;
    EXPECT_EQ(scales[kMonitorTemperature][0], (SeriesScale{20.0, 100.0})) << c.machine;
  }
}

// Captions and value texts show what the sample gives and "N/A" where it gives nothing;
// temperatures follow the chosen unit.
TEST(MonitoringSeries, CaptionsShowTheSampleOrNotAvailable) {
  CpuSample full;
  full.clock = 1799.6, full.throttle = 0.5, full.multiplier = 9.0f, full.voltage = 1.1f;
  full.cpuLoad = 45.4, full.osLoad = 39.6, full.temperature = 50.0f;
  CpuSample none;  // a fresh sample: nothing measured, temperature -1, CPU load -1
  none.cpuLoad = -1.0;
  none.throttle = -1.0;
  struct Case {
    const CpuSample* sample;
    int group, series;
    int32_t units;
    const char* caption;
    const char* value;
  } const cases[] = {
      {&full, kMonitorClock, 0, 0, "1800", "1800 MHz"},
      {&full, kMonitorClock, 1, 0, "900", "900 MHz"},
      {&full, kMonitorLoad, 0, 0, "45%", "45%"},
      {&full, kMonitorLoad, 1, 0, "40%", "40%"},
      {&full, kMonitorFidVid, 0, 0, "9.0", "9.0x"},
      {&full, kMonitorFidVid, 1, 0, "1.100", "1.100 V"},
      {&full, kMonitorTemperature, 0, 0, "50.0\u00B0", "50.0\u00B0C"},
      {&full, kMonitorTemperature, 0, 1, "122.0\u00B0", "122.0\u00B0F"},
      {&full, kMonitorTemperature, 1, 0, "N/A", "N/A"},
      {&full, 4, 0, 0, "N/A", "N/A"},
      {&none, kMonitorClock, 0, 0, "N/A", "N/A"},
      {&none, kMonitorClock, 1, 0, "N/A", "N/A"},
      {&none, kMonitorLoad, 0, 0, "N/A", "N/A"},
      {&none, kMonitorLoad, 1, 0, "0%", "0%"},
      {&none, kMonitorFidVid, 0, 0, "N/A", "N/A"},
      {&none, kMonitorFidVid, 1, 0, "N/A", "N/A"},
      {&none, kMonitorTemperature, 0, 1, "N/A", "N/A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SeriesCaption(*c.sample, c.group, c.series, c.units, "N/A"), c.caption)
        << c.group << "/" << c.series;
    EXPECT_EQ(SeriesValueText(*c.sample, c.group, c.series, c.units, "N/A"), c.value)
        << c.group << "/" << c.series;
  }
}

// Each group's series take their colours from the settings; anything else is not set
// (the grey), and the top byte is no part of a colour.
TEST(MonitoringSeries, ColoursComeFromTheSettingsAndNothingElseHasOne) {
  ColorSettings colors;
  colors.frequencyGraph = 0xFF000001, colors.throttleGraph = 2, colors.cpuLoadGraph = 3;
  colors.osLoadGraph = 4, colors.fidGraph = 5, colors.vidGraph = 6, colors.temperatureGraph = 7;
  const std::optional<uint32_t> expected[kMonitorGroupCount + 2][3] = {
      {1, 2, std::nullopt},
      {3, 4, std::nullopt},
      {5, 6, std::nullopt},
      {7, std::nullopt, std::nullopt},
      {std::nullopt, std::nullopt, std::nullopt},
      {std::nullopt, std::nullopt, std::nullopt},
  };
  for (int group = -1; group <= kMonitorGroupCount; ++group) {
    for (int series = -1; series <= 2; ++series) {
      const std::optional<uint32_t> want =
          group < 0 || series < 0 ? std::nullopt : expected[group][series];
      EXPECT_EQ(SeriesColor(colors, group, series), want) << group << "/" << series;
    }
  }
}

// The history takes each sampling refresh once, whatever the number of view updates;
// without a highest multiplier or bus clock the clocks' top is the clock first measured;
// a value whose scale is not known (a voltage without a VID range) is a gap.
TEST(MonitoringSeries, HistoryTakesEachRefreshOnceAndTheFirstClockAsTop) {
  MonitorHistory history;
  MonitorTable<SeriesScale> scales{};
  scales[kMonitorLoad] = {SeriesScale{0, 100}, SeriesScale{0, 100}};
  scales[kMonitorFidVid] = {SeriesScale{14, 42}, SeriesScale{}};
  scales[kMonitorTemperature] = {SeriesScale{20, 100}, SeriesScale{20, 100}};
  const MonitorTable<SeriesScale> both[] = {scales, scales};
  CpuSample first, second;
  first.clock = 1200.0, first.throttle = 1.0, first.cpuLoad = 10.0;
  first.multiplier = 35.0f, first.voltage = 0.9f;
  second.clock = -1.0, second.cpuLoad = -1.0, second.temperature = 61.0f;
  const CpuSample samples[] = {first, second};
  ASSERT_TRUE(history.Add(1, samples, both));
  EXPECT_FALSE(history.Add(1, samples, both));
  ASSERT_EQ(history.ProcessorCount(), 2u);
  EXPECT_EQ(history.Taken(), 1u);

  first.clock = 2000.0, first.cpuLoad = 20.0;
  const CpuSample later[] = {first, second};
  ASSERT_TRUE(history.Add(2, later, both));
  const MonitorHistory::Processor& zero = history.Of(0);
  EXPECT_EQ(zero.scales[kMonitorClock][0], (SeriesScale{0.0, 1200.0}));
  EXPECT_EQ(zero.scales[kMonitorClock][1], (SeriesScale{0.0, 1200.0}));
  EXPECT_EQ(zero.rings[kMonitorLoad][0].Taken(), 2u);
  EXPECT_FLOAT_EQ(zero.rings[kMonitorLoad][0].Back(0), 20.0f);
  EXPECT_FLOAT_EQ(zero.rings[kMonitorLoad][0].Back(1), 10.0f);
  EXPECT_FLOAT_EQ(zero.rings[kMonitorClock][0].Back(0), 2000.0f);
  EXPECT_EQ(zero.latest.clock, 2000.0);
  EXPECT_FLOAT_EQ(zero.rings[kMonitorFidVid][0].Back(0), 35.0f);
  EXPECT_TRUE(std::isnan(zero.rings[kMonitorFidVid][1].Back(0)));
  EXPECT_FLOAT_EQ(zero.latest.voltage, 0.9f);
  // Processor 1 never measured a clock: no top, no values, only gaps.
  const MonitorHistory::Processor& one = history.Of(1);
  EXPECT_EQ(one.scales[kMonitorClock][0], (SeriesScale{}));
  EXPECT_TRUE(std::isnan(one.rings[kMonitorClock][0].Back(0)));
  EXPECT_TRUE(std::isnan(one.rings[kMonitorLoad][0].Back(0)));
  EXPECT_FLOAT_EQ(one.rings[kMonitorTemperature][0].Back(1), 61.0f);
}

}  // namespace
}  // namespace pacetta::ui
