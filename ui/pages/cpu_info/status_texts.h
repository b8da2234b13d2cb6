#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/strings/string_table.h"
#include "cpu/cpu_info.h"
#include "engine/monitor/cpu_sample.h"

namespace pacetta::ui {

// The rows of the multiplier and voltage table, in the table's order.
enum StateRow : uint32_t { kRowCurrent, kRowStartup, kRowMinimal, kRowMaximal };

// A processor tab's live values as texts, "N/A" (10144) where the processor cannot supply
// one. Plain C++: values and strings in, texts out.
struct StatusTexts {
  std::string clock;        // the measured core clock
  std::string throttle;     // share of the clock the core runs
  std::string cpuLoad;      // from the busy-cycle counter
  std::string osLoad;       // from the system's processor times
  std::string temperature;  // in the unit "TempUnits" chooses
  // Today's processors' package power; nullopt where the processor has no such counter
  // (the row is left out then).
  std::optional<std::string> packagePower;
  std::array<std::string, 4> multipliers;  // by StateRow
  std::array<std::string, 4> voltages;
};

// `sample` is the processor's latest refresh; the startup, minimal and maximal states
// come from its record's limits. `tempUnits` 1 shows Fahrenheit.
StatusTexts FormatStatus(const CpuInfo& cpu, const CpuSample& sample, int32_t tempUnits,
                         const StringTable& strings);

// A cache's size, ways and line size; a cache the processor does not report shows "N/A"
// as its size and nothing else.
struct CacheTexts {
  std::string size;
  std::string ways;
  std::string line;
};
CacheTexts FormatCache(const CacheDescription& cache, const StringTable& strings);

// One level of a TLB: its entries and ways ("N/A" where the level has none).
std::string FormatTlbLevel(uint32_t entries, uint32_t associativity, const StringTable& strings);

}  // namespace pacetta::ui
