#include "engine/monitor/display_texts.h"

#include <cstdio>

namespace pacetta {
namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  return length < 0 ? std::string() : std::string(buffer);
}

std::string PowerSourceText(PowerSource source, const TextLookup& texts) {
  switch (source) {
    case PowerSource::kAc:
      return texts(kTextAcPower);
    case PowerSource::kBattery:
      return texts(kTextBattery);
    case PowerSource::kUnknown:
      break;
  }
  return texts(kTextNotAvailable);
}

}  // namespace

DisplayTexts FormatDisplayTexts(const CpuSample& display, const SampleMeans& means,
                                int32_t tempUnits, PowerSource source, const TextLookup& texts) {
  const std::string notAvailable = texts(kTextNotAvailable);
  DisplayTexts out;
  // The clock shown is the one the core works at, clock x throttle: without a throttle
  // reading it is not known.
  if (display.clock > 0.0 && display.throttle >= 0.0) {
    out.clock = Format("%.2lf MHz", display.clock * display.throttle);
  } else {
    out.clock = notAvailable;
  }
  out.multiplier =
      display.multiplier != 0.0f ? Format("%.1fx", double{display.multiplier}) : notAvailable;
  out.voltage = display.voltage != 0.0f ? Format("%.4fV", double{display.voltage}) : notAvailable;
  if (means.temperature < 0.0) {
    out.temperature = notAvailable;
  } else if (tempUnits == 1) {
    out.temperature = Format("%.1f\u00B0F", means.temperature * 1.8 + 32.0);
  } else {
    out.temperature = Format("%.1f\u00B0C", means.temperature);
  }
  out.powerSource = PowerSourceText(source, texts);
  return out;
}

Balloon OverheatBalloon(const CpuSample& display, const TextLookup& texts) {
  const std::string level = display.throttle >= 0.0 ? Format("%.2lf%%", display.throttle * 100.0)
                                                    : texts(kTextNotAvailable);
  return {texts(kTextOverheatDetected), SubstituteText(texts(kTextCurrentThrottleLevel), level),
          10000};
}

std::string SubstituteText(const std::string& pattern, const std::string& value) {
  const size_t at = pattern.find("%s");
  if (at == std::string::npos) return pattern;
  std::string out = pattern;
  out.replace(at, 2, value);
  return out;
}

}  // namespace pacetta
