#include "app/desktop/monitor_series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "app/desktop/pstate_steps.h"

namespace pacetta {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr SeriesScale kLoadScale{0.0, 100.0};
constexpr SeriesScale kTemperatureScale{20.0, 100.0};

// The ends of a range known only when both are: otherwise a scale with no room.
SeriesScale Between(double a, double b) {
  if (!(a > 0.0) || !(b > 0.0)) return {};
  return {std::min(a, b), std::max(a, b)};
}

// The multiplier a row runs at. The codes are taken as they are: a kernel policy's FIDs
// are MHz, well beyond a byte.
double RowMultiplier(const CpuInfo& cpu, const PState& row) {
  const double multiplier = MultiplierOfFid(cpu, static_cast<int32_t>(row.fid));
  return IsHalfRatio(row) ? multiplier / 2.0 : multiplier;
}

double RowVoltage(const CpuInfo& cpu, const PState& row) {
  return VoltageOfVid(cpu, static_cast<int32_t>(row.vid));
}

template <class... Args>
std::string Format(const char* format, Args... args) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  return length < 0 ? std::string() : std::string(buffer);
}

const char* Unit(int group, int series, int32_t tempUnits) {
  switch (group) {
    case kMonitorClock:
      return " MHz";
    case kMonitorFidVid:
      return series == 0 ? "x" : " V";
    case kMonitorTemperature:
      return tempUnits == 1 ? "F" : "C";
    default:
      return "";
  }
}

}  // namespace

int MonitorSeriesIn(int group) {
  if (group < 0 || group >= kMonitorGroupCount) return 0;
  return group == kMonitorTemperature ? 1 : 2;
}

MonitorTable<double> SeriesValues(const CpuSample& sample) {
  const auto known = [](double value, bool available) { return available ? value : kNone; };
  const bool clock = sample.clock > 0.0;
  MonitorTable<double> values;
  values[kMonitorClock] = {known(sample.clock, clock),
                           known(sample.clock * sample.throttle, clock && sample.throttle >= 0.0)};
  values[kMonitorLoad] = {known(sample.cpuLoad, sample.cpuLoad >= 0.0),
                          known(sample.osLoad, sample.osLoad >= 0.0)};
  values[kMonitorFidVid] = {known(sample.multiplier, sample.multiplier > 0.0f),
                            known(sample.voltage, sample.voltage > 0.0f)};
  values[kMonitorTemperature] = {known(sample.temperature, sample.temperature >= 0.0f), kNone};
  return values;
}

MonitorTable<SeriesScale> SeriesScales(const CpuInfo& cpu, const PStateTable& table,
                                       double busClockMhz) {
  SeriesScale multiplier, voltage;
  if (table.Count() > 0) {
    const PState& first = *table.Row(0);
    const PState& last = *table.Row(table.lastIndex);
    multiplier = Between(RowMultiplier(cpu, first), RowMultiplier(cpu, last));
    voltage = Between(RowVoltage(cpu, first), RowVoltage(cpu, last));
  }
  if (!(multiplier.max > 0.0)) {
    multiplier = Between(MultiplierOfFid(cpu, cpu.minFid), MultiplierOfFid(cpu, cpu.maxFid));
  }
  if (!(voltage.max > 0.0)) {
    voltage = Between(VoltageOfVid(cpu, cpu.minVid), VoltageOfVid(cpu, cpu.maxVid));
  }
  // A dynamic-acceleration state of the table may run above the processor's limit.
  const double highest = std::max(MultiplierOfFid(cpu, cpu.maxFid), multiplier.max);
  const SeriesScale clock{0.0, highest > 0.0 && busClockMhz > 0.0 ? highest * busClockMhz : 0.0};

  MonitorTable<SeriesScale> scales;
  scales[kMonitorClock] = {clock, clock};
  scales[kMonitorLoad] = {kLoadScale, kLoadScale};
  scales[kMonitorFidVid] = {multiplier, voltage};
  scales[kMonitorTemperature] = {kTemperatureScale, kTemperatureScale};
  return scales;
}

std::optional<uint32_t> SeriesColor(const ColorSettings& colors, int group, int series) {
  if (series < 0 || series >= MonitorSeriesIn(group)) return std::nullopt;
  const uint32_t table[kMonitorGroupCount][kMonitorSeriesCount] = {
      {colors.frequencyGraph, colors.throttleGraph},
      {colors.cpuLoadGraph, colors.osLoadGraph},
      {colors.fidGraph, colors.vidGraph},
      {colors.temperatureGraph, colors.temperatureGraph},
  };
  // The top byte is no part of a colour.
  return table[group][series] & 0xFFFFFFu;
}

std::string SeriesCaption(const CpuSample& sample, int group, int series, int32_t tempUnits,
                          const std::string& notAvailable) {
  if (series < 0 || series >= MonitorSeriesIn(group)) return notAvailable;
  const double value = SeriesValues(sample)[group][series];
  if (std::isnan(value)) return notAvailable;
  switch (group) {
    case kMonitorClock:
      return Format("%.0f", value);
    case kMonitorLoad:
      return Format("%.0f%%", value);
    case kMonitorFidVid:
      return series == 0 ? Format("%.1f", value) : Format("%.3f", value);
    default:
      return Format("%.1f\u00B0", tempUnits == 1 ? value * 1.8 + 32.0 : value);
  }
}

std::string SeriesValueText(const CpuSample& sample, int group, int series, int32_t tempUnits,
                            const std::string& notAvailable) {
  const std::string caption = SeriesCaption(sample, group, series, tempUnits, notAvailable);
  if (series < 0 || series >= MonitorSeriesIn(group) ||
      std::isnan(SeriesValues(sample)[group][series])) {
    return caption;
  }
  return caption + Unit(group, series, tempUnits);
}

}  // namespace pacetta
