#pragma once
#include <array>
#include <cstdint>

#include "app/desktop/desktop_model.h"

namespace pacetta::ui {

// What the Settings page edits, taken from the program's settings.
InterfaceSettings InterfaceSettingsOf(const AppSettings& settings);
// The page's "Defaults": a fresh start's language and the rest's defaults.
InterfaceSettings DefaultInterfaceSettings();

// The twelve colours in the order of their names on the page.
inline constexpr size_t kColorCount = 12;
inline constexpr std::array<uint32_t ColorSettings::*, kColorCount> kColorOrder = {
    &ColorSettings::graphBackground,
    &ColorSettings::graphGrid,
    &ColorSettings::frequencyGraph,
    &ColorSettings::throttleGraph,
    &ColorSettings::cpuLoadGraph,
    &ColorSettings::osLoadGraph,
    &ColorSettings::fidGraph,
    &ColorSettings::vidGraph,
    &ColorSettings::temperatureGraph,
    &ColorSettings::frequencyIconText,
    &ColorSettings::temperatureIconText,
    &ColorSettings::batteryIconText};

// The log interval as the page enters it.
struct LogInterval {
  int32_t days = 0;     // 0..999
  int32_t hours = 0;    // 0..23
  int32_t minutes = 0;  // 0..59
  bool operator==(const LogInterval&) const = default;
};
// Whole minutes of `seconds`, within the fields' ranges.
LogInterval LogIntervalOf(int32_t seconds);
int32_t SecondsOf(const LogInterval& interval);

}  // namespace pacetta::ui
