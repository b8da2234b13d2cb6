#include "ui/pages/cpu_info/status_texts.h"

#include "app/desktop/pstate_steps.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"

namespace pacetta::ui {
namespace {

constexpr uint32_t kFullyAssociativeWays = 255;

// `format` "%u" gives the bare number, under a heading that says what it counts.
std::string Ways(uint32_t associativity, uint32_t format, const StringTable& strings) {
  if (associativity == kFullyAssociativeWays) return strings.Get(kStrFullyAssociative);
  if (associativity == 0) return {};
  return FormatText(strings.Get(format), {associativity});
}

}  // namespace

StatusTexts FormatStatus(const CpuInfo& cpu, const CpuSample& sample, int32_t tempUnits,
                         const StringTable& strings) {
  const std::string& notAvailable = strings.Get(kStrNotAvailableShort);
  const auto value = [&](uint32_t format, double number, bool available) {
    return available ? FormatText(strings.Get(format), {number}) : notAvailable;
  };
  StatusTexts texts;
  // A clock measured without its throttle reading is not a clock (the measurement
  // failed half-way), and nothing is measured before the first refresh.
  texts.clock = value(kStrClockValue, sample.clock, sample.clock > 0.0 && sample.throttle >= 0.0);
  texts.throttle = value(kStrPercentValue, sample.throttle * 100.0, sample.throttle >= 0.0);
  texts.cpuLoad = value(kStrPercentValue, sample.cpuLoad, sample.cpuLoad >= 0.0);
  texts.osLoad = value(kStrPercentValue, sample.osLoad, true);
  const double celsius = sample.temperature;
  texts.temperature = tempUnits == 1
                          ? value(kStrFahrenheitValue, celsius * 1.8 + 32.0, celsius >= 0)
                          : value(kStrCelsiusValue, celsius, celsius >= 0);
  if (sample.packageWatts >= 0.0) {
    texts.packagePower = FormatText(strings.Get(kStrWattsValue), {sample.packageWatts});
  }

  // A multiplier or voltage of 0 is one the processor's encoding does not know.
  const auto multiplier = [&](double x) { return value(kStrMultiplierValue, x, x != 0.0); };
  const auto volts = [&](double v) { return value(kStrVoltageValue, v, v != 0.0); };
  texts.multipliers = {
      multiplier(sample.multiplier), multiplier(MultiplierOfFid(cpu, cpu.startFid)),
      multiplier(MultiplierOfFid(cpu, cpu.minFid)), multiplier(MultiplierOfFid(cpu, cpu.maxFid))};
  texts.voltages = {volts(sample.voltage), volts(VoltageOfVid(cpu, cpu.startVid)),
                    volts(VoltageOfVid(cpu, cpu.minVid)), volts(VoltageOfVid(cpu, cpu.maxVid))};
  return texts;
}

CacheTexts FormatCache(const CacheDescription& cache, const StringTable& strings) {
  if (cache.sizeKb == 0) return {strings.Get(kStrNotAvailableShort), {}, {}};
  CacheTexts texts;
  texts.size = FormatText(strings.Get(kStrCacheSizeValue), {cache.sizeKb});
  texts.ways = Ways(cache.associativity, kStrCacheWaysValue, strings);
  if (cache.lineSize != 0)
    texts.line = FormatText(strings.Get(kStrLineSizeValue), {cache.lineSize});
  return texts;
}

std::string FormatTlbLevel(uint32_t entries, uint32_t associativity, const StringTable& strings) {
  if (entries == 0) return strings.Get(kStrNotAvailableShort);
  const std::string ways = Ways(associativity, kStrWaysValue, strings);
  if (ways.empty()) return std::to_string(entries);
  return FormatText(strings.Get(kStrTlbValue), {entries, ways});
}

}  // namespace pacetta::ui
