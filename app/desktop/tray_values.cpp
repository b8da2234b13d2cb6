#include "app/desktop/tray_values.h"

#include <algorithm>
#include <cmath>

#include "app/desktop/pstate_steps.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"

namespace pacetta {
namespace {

constexpr int32_t kProgramImage = 200;
constexpr int32_t kFirstProfileImage = 201;
constexpr int32_t kOnDemandImage = 204;
constexpr int32_t kFirstLevelImage = 205;
constexpr int32_t kTopLevel = 16;

// The shell keeps at most 127 bytes of a tooltip; a cut never splits a character.
std::string Bounded(const std::string& text) {
  return FormatText("%.127s", {text});
}

}  // namespace

int32_t PerformanceLevel(double lo, double hi, double cur) {
  if (hi == lo) return 0;
  const double level = std::round((cur - lo) * kTopLevel / (hi - lo));
  return static_cast<int32_t>(std::clamp(level, 0.0, double{kTopLevel}));
}

int32_t ProfileImage(int32_t profile) {
  return kFirstProfileImage + std::clamp(profile, 0, kOnDemandProfile);
}

MainIcon MainIconFor(int32_t profile, const ProfileHalf* half, const PStateTable& table,
                     const CpuInfo& cpu0, float multiplier0, bool showPerfLevel) {
  MainIcon icon{ProfileImage(profile), -1};
  if (!showPerfLevel || profile < kOnDemandProfile || !half || half->lastState < 0) return icon;
  const PState* first = table.Row(half->states[0]);
  const PState* last = table.Row(half->states[static_cast<size_t>(half->lastState)]);
  if (!first || !last) return icon;
  icon.level = PerformanceLevel(RowSpeed(cpu0, *first), RowSpeed(cpu0, *last), multiplier0);
  if (icon.level == 0) {
    icon.image = kProgramImage;
  } else if (icon.level == kTopLevel) {
    icon.image = kOnDemandImage;
  } else {
    icon.image = kFirstLevelImage + icon.level - 1;
  }
  return icon;
}

TrayTooltips FormatTrayTooltips(const CpuSample& processor0, const SampleMeans& means,
                                int32_t tempUnits, PowerSource source,
                                const std::string& profileName, const StringTable& strings) {
  const auto lookup = [&strings](uint32_t id) { return strings.Get(id); };
  const DisplayTexts texts = FormatDisplayTexts(processor0, means, tempUnits, source, lookup);
  const std::string notAvailable = strings.Get(kStrNotAvailableShort);
  // A value that is not available fills a numeric field with "N/A" as it stands.
  const TextArg clock = processor0.clock > 0.0 ? TextArg(processor0.clock) : TextArg(notAvailable);
  const std::string throttle = processor0.throttle >= 0.0
                                   ? FormatText("%.2lf%%", {processor0.throttle * 100.0})
                                   : notAvailable;
  const std::string cpuLoad = processor0.cpuLoad >= 0.0 && means.cpuLoad >= 0.0
                                  ? FormatText("%.2lf%%", {means.cpuLoad})
                                  : notAvailable;
  TrayTooltips tips;
  tips.main = Bounded(FormatText(
      strings.Get(kStrTooltipMain),
      {profileName, texts.powerSource, clock, texts.multiplier, texts.voltage, texts.temperature}));
  tips.frequency = Bounded(FormatText(strings.Get(kStrTooltipFrequency),
                                      {clock, throttle, texts.multiplier, texts.voltage}));
  tips.load = Bounded(FormatText(strings.Get(kStrTooltipLoad), {cpuLoad, means.osLoad}));
  tips.temperature = Bounded(FormatText(strings.Get(kStrTooltipTemperature), {texts.temperature}));
  return tips;
}

}  // namespace pacetta
