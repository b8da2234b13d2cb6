#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings/app_settings.h"
#include "cpu/cpu_info.h"
#include "engine/monitor/cpu_sample.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The monitoring page's groups, top to bottom; group g is bit g of "HideMonitoring".
enum MonitorGroup : int {
  kMonitorClock,        // core clock; effective clock (clock x throttle)
  kMonitorLoad,         // CPU load; OS load
  kMonitorFidVid,       // multiplier; voltage
  kMonitorTemperature,  // temperature alone
};
inline constexpr int kMonitorGroupCount = 4;
inline constexpr int kMonitorSeriesCount = 2;  // at most, per group
inline constexpr int32_t kMonitorGroupBits = (1 << kMonitorGroupCount) - 1;

// How many series group `group` shows: 2, the temperature 1, an unknown group 0.
int MonitorSeriesIn(int group);

// Per group and series.
template <typename T>
using MonitorTable = std::array<std::array<T, kMonitorSeriesCount>, kMonitorGroupCount>;

// A series' range: `min` at the bottom of its meter and graph, `max` at the top.
struct SeriesScale {
  double min = 0.0;
  double max = 0.0;
  bool operator==(const SeriesScale&) const = default;
};

// The values a sample gives each series, NaN where the sample has none (a failed clock
// measurement, no throttle reading, no busy-cycle counter, no FID or VID reading, no
// temperature sensor). Temperatures stay in degrees Celsius.
MonitorTable<double> SeriesValues(const CpuSample& sample);

// The scales of processor `cpu`: the clocks from 0 to its highest multiplier times the
// bus clock; the loads 0..100; the multiplier and voltage between the slowest and the
// fastest state of the table, or of the processor's own limits when the table has none;
// the temperature 20..100 degrees Celsius. An unknown end leaves the scale with no room
// (0..0); for the clocks MonitorHistory then takes the clock first measured as the top.
MonitorTable<SeriesScale> SeriesScales(const CpuInfo& cpu, const PStateTable& table,
                                       double busClockMhz);

// A series' colour from the settings; none for a group or series that has no colour of
// its own (it is then drawn in the unset grey).
std::optional<uint32_t> SeriesColor(const ColorSettings& colors, int group, int series);

// The meter caption under a series' bar: clocks "%.0f", loads "%.0f%%", multiplier
// "%.1f", voltage "%.3f", temperature "%.1f°" (Fahrenheit with `tempUnits` 1), and
// `notAvailable` where the sample has no value.
std::string SeriesCaption(const CpuSample& sample, int group, int series, int32_t tempUnits,
                          const std::string& notAvailable);
// The same with its unit, for the group's value texts: "1800 MHz", "45%", "9.0x",
// "1.100 V", "55.0°C"; `notAvailable` alone where the sample has no value.
std::string SeriesValueText(const CpuSample& sample, int group, int series, int32_t tempUnits,
                            const std::string& notAvailable);

}  // namespace pacetta
