#pragma once
#include <cstdint>
#include <string>

#include "app/strings/string_table.h"
#include "cpu/cpu_info.h"
#include "engine/monitor/cpu_sample.h"
#include "engine/monitor/display_texts.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The tray's tooltips, at most kTooltipBytes each.
struct TrayTooltips {
  std::string main;
  std::string frequency;
  std::string load;
  std::string temperature;
};
inline constexpr size_t kTooltipBytes = 127;

// What one refresh gives the tray: processor 0's values (the clock, throttle, FID and
// VID the icons and tooltips show), the means over all processors (loads, temperature),
// the profile in use and the main icon's picture.
struct TrayValues {
  CpuSample processor0;
  SampleMeans means;
  PowerSource source = PowerSource::kUnknown;
  int32_t profile = 0;
  // The main icon's picture by resource number: 201..204 by profile, or with the
  // performance level shown 200 (level 0), 205..219 (levels 1..15), 204 (level 16).
  int32_t mainImage = 201;
  // The performance level 0..16 the picture shows; -1 when the profile's picture is shown.
  int32_t level = -1;
  TrayTooltips tooltips;
  // Counts the refreshes that took new samples: a view update in between repeats it.
  uint64_t sampleSerial = 0;
};

// Level 0..16 of multiplier `cur` between the slowest (`lo`) and the fastest (`hi`)
// state of a list: rounded to the nearest step and clamped. A list whose ends run at the
// same multiplier has level 0.
int32_t PerformanceLevel(double lo, double hi, double cur);

// The profile's picture: 201..204 for profiles 0..3, 204 for every custom one.
int32_t ProfileImage(int32_t profile);

// The main icon's picture and level. `showPerfLevel` applies to profiles of index 3 and
// above whose list for the present power source holds a state; it then shows the level
// of processor 0's multiplier between the list's ends.
struct MainIcon {
  int32_t image = 201;
  int32_t level = -1;
};
MainIcon MainIconFor(int32_t profile, const ProfileHalf* half, const PStateTable& table,
                     const CpuInfo& cpu0, float multiplier0, bool showPerfLevel);

// The four tooltips: processor 0's clock, throttle, FID and VID, the means' loads and
// temperature (in `tempUnits`), the profile's name and the power source. Values not
// available read "N/A".
TrayTooltips FormatTrayTooltips(const CpuSample& processor0, const SampleMeans& means,
                                int32_t tempUnits, PowerSource source,
                                const std::string& profileName, const StringTable& strings);

}  // namespace pacetta
