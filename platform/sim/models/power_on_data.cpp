#include "platform/sim/models/power_on_data.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/sim/models/longrun_levels.h"
#include "platform/sim/models/modern_parts.h"
#include "platform/sim/models/published_parts.h"
#include "platform/sim/models/vid_codes.h"

namespace pacetta::sim {
namespace {

using namespace codes;

std::optional<PowerOnData> FromPublishedPart(const ProcessorTraits& traits) {
  for (const PublishedPart& part : PublishedParts()) {
    if (part.family != traits.family) continue;
    if ((traits.signature & part.signatureMask) != part.signature) continue;
    if (traits.brand.find(part.brandContains) == std::string::npos) continue;
    return PowerOnData{part.high,    part.low,        part.superLfm, part.ida,
                       part.busCode, part.junction85, part.name,     part.k7BusMhz};
  }
  return std::nullopt;
}

// The multiplier that the brand's clock gives over `busMhz`, or `otherwise`.
uint32_t RatioFromBrand(const ProcessorTraits& traits, double busMhz, uint32_t otherwise) {
  const auto clock = BrandClockMhz(traits.brand);
  if (!clock || *clock < busMhz) return otherwise;
  return static_cast<uint32_t>(std::lround(*clock / busMhz));
}

// The family rules for a part the table does not list. AMD brands carry a model number,
// not a clock: those take the family's most common part.
PowerOnData K8Rule(const ProcessorTraits& traits) {
  PowerOnData data;
  data.source = "AMD K8 family rule";
  if (traits.k8Npt) {
    // Revision F: 2.0 GHz; desktop 1.35 V down to 1.0 GHz at 1.10 V, mobile 1.125 V down to
    // 800 MHz at 0.95 V.
    data.high = {0x0C, traits.mobile ? K8NptVid(1.125) : K8NptVid(1.35)};
    data.low =
        traits.mobile ? OperatingPoint{0x00, K8NptVid(0.95)} : OperatingPoint{0x02, K8NptVid(1.10)};
  } else if (traits.k8MobileVids) {
    data.high = {0x0A, K8MobileVid(1.35)};  // 1.8 GHz
    data.low = {0x00, K8MobileVid(1.00)};
  } else {
    data.high = {0x0C, K8Vid(1.40)};
    data.low = {traits.mobile ? 0x00u : 0x02u, K8Vid(1.10)};
  }
  return data;
}

PowerOnData K7Rule(const ProcessorTraits& traits) {
  PowerOnData data;
  data.source = "AMD K7 family rule";
  if (traits.mobile) {
    data.high = {K7Fid(12.0), K7MobileVid(1.40)};
    data.low = {K7Fid(6.0), K7MobileVid(1.20)};
  } else {
    data.high = data.low = {K7Fid(11.0), K7DesktopVid(1.65)};
  }
  return data;
}

// Intel bus clocks and codes: MSR 0CDh codes 5 = 100 MHz, 3 = 166 MHz, 2 = 200 MHz,
// 0 = 266 MHz; MSR 2Ch codes 0 = 100 MHz, 2 = 200 MHz.
PowerOnData IntelRule(const ProcessorTraits& traits) {
  PowerOnData data;
  data.source = std::string(FamilyName(traits.family)) + " family rule";
  switch (traits.family) {
    case ModelFamily::kPentiumM:
      data.high = {RatioFromBrand(traits, 100.0, 16), PentiumMVid(1.340)};
      data.low = {6, PentiumMVid(0.988)};
      break;
    case ModelFamily::kCoreDuo:
      data.high = {RatioFromBrand(traits, 166.67, 13), MobileCoreVid(1.2875)};
      data.low = {6, MobileCoreVid(1.000)};
      data.busCode = 3;
      break;
    case ModelFamily::kCore2:
      if (traits.mobile) {
        data.high = {RatioFromBrand(traits, 200.0, 11), MobileCoreVid(1.250)};
        data.low = {6, MobileCoreVid(0.950)};
        data.busCode = 2;
      } else {
        data.high = {RatioFromBrand(traits, 266.67, 9), DesktopCoreVid(1.325)};
        data.low = {6, DesktopCoreVid(1.1625)};
        data.busCode = 0;
      }
      if (traits.dffs) data.superLfm = OperatingPoint{data.low.fid, data.low.vid - 4};
      if (traits.ida) data.ida = OperatingPoint{data.high.fid + 1, data.high.vid + 2};
      break;
    case ModelFamily::kPentium4:
      // Enhanced SpeedStep on the Pentium 4 6x0 series drops to 14 x 200 MHz.
      data.high = {RatioFromBrand(traits, 200.0, 15), DesktopCoreVid(1.3875)};
      data.low = traits.eist ? OperatingPoint{std::min(data.high.fid, 14u), DesktopCoreVid(1.2875)}
                             : data.high;
      data.busCode = 2;
      break;
    case ModelFamily::kPentium4Model2:
      // Mobile Pentium 4-M SpeedStep low mode is 1.2 GHz; desktop parts have none.
      data.high = {RatioFromBrand(traits, 100.0, 20), 0};
      data.low = traits.mobile ? OperatingPoint{12, 0} : data.high;
      data.busCode = 0;
      break;
    case ModelFamily::kViaC7:
      data.high = {RatioFromBrand(traits, 100.0, 15), PentiumMVid(1.148)};
      data.low = {4, PentiumMVid(0.844)};
      break;
    default:
      break;
  }
  return data;
}

}  // namespace

std::optional<double> BrandClockMhz(const std::string& brand) {
  for (const auto& [unit, scale] : {std::pair{"GHz", 1000.0}, std::pair{"MHz", 1.0}}) {
    const auto at = brand.find(unit);
    if (at == std::string::npos || at == 0) continue;
    auto start = at;
    while (start > 0 &&
           (std::isdigit(static_cast<unsigned char>(brand[start - 1])) || brand[start - 1] == '.'))
      --start;
    if (start == at) continue;
    return std::strtod(brand.substr(start, at - start).c_str(), nullptr) * scale;
  }
  return std::nullopt;
}

PowerOnData PowerOnDataFor(const ProcessorTraits& traits) {
  if (auto published = FromPublishedPart(traits)) return *published;
  switch (traits.family) {
    case ModelFamily::kAmdK8:
      return K8Rule(traits);
    case ModelFamily::kAmdK7:
      return K7Rule(traits);
    case ModelFamily::kNone:
      return {};
    case ModelFamily::kTransmeta: {
      // LongRun's FID is the clock in MHz and its VID the voltage in mV.
      const auto levels = Tm5800Levels();
      PowerOnData data;
      data.high = {levels.back().mhz, levels.back().millivolts};
      data.low = {levels.front().mhz, levels.front().millivolts};
      data.source = "TM5800 LongRun table";
      return data;
    }
    case ModelFamily::kAmdZen:
    case ModelFamily::kIntelHwp: {
      const ModernPart part = ModernPartFor(traits);
      PowerOnData data;
      data.high = {part.highestRatio, 0};
      data.low = {part.lowestRatio, 0};
      data.source = part.name;
      return data;
    }
    default:
      return IntelRule(traits);
  }
}

}  // namespace pacetta::sim
