#include "platform/sim/models/clock_rates.h"

#include "platform/sim/models/modern_parts.h"
#include "platform/sim/models/vid_codes.h"

namespace pacetta::sim {
namespace {

constexpr double k133 = 400.0 / 3, k166 = 500.0 / 3, k266 = 800.0 / 3, k333 = 1000.0 / 3;

// MSR_FSB_FREQ (0CDh) bus codes of the Core Duo and Core 2 (Intel SDM, MSR tables).
double CoreBusMhz(uint32_t code) {
  switch (code) {
    case 5:
      return 100.0;
    case 1:
      return k133;
    case 3:
      return k166;
    case 2:
      return 200.0;
    case 4:
      return k333;
    default:
      return k266;
  }
}

// MSR_EBC_FREQUENCY_ID (2Ch) bits 18..16: model 2 codes 0 = 100 and 1 = 133 MHz; from
// model 3 on 0 = 266, 1 = 133, 2 = 200, 3 = 166 and 4 = 333 MHz.
double Pentium4BusMhz(ModelFamily family, uint32_t code) {
  if (family == ModelFamily::kPentium4Model2) return code == 1 ? k133 : 100.0;
  switch (code) {
    case 1:
      return k133;
    case 2:
      return 200.0;
    case 3:
      return k166;
    case 4:
      return k333;
    default:
      return k266;
  }
}

// The K7 bus is set by the board: the early Athlons and the Spitfire Duron ran a 100 MHz
// bus, the later parts mostly 133 MHz.
double K7BusMhz(const ProcessorTraits& traits, const PowerOnData& data) {
  if (data.k7BusMhz > 0) return data.k7BusMhz;
  const uint32_t model = traits.signature >> 4 & 0xF;
  return model <= 4 ? 100.0 : k133;
}

double BusMhzOf(const ProcessorTraits& traits, const PowerOnData& data) {
  switch (traits.family) {
    case ModelFamily::kAmdK8:
      return 200.0;  // the HyperTransport reference clock
    case ModelFamily::kAmdK7:
      return K7BusMhz(traits, data);
    case ModelFamily::kCoreDuo:
    case ModelFamily::kCore2:
      return CoreBusMhz(data.busCode);
    case ModelFamily::kPentium4:
    case ModelFamily::kPentium4Model2:
      return Pentium4BusMhz(traits.family, data.busCode);
    case ModelFamily::kTransmeta:
      return 1.0;  // LongRun states name the clock itself, in MHz
    default:
      return 100.0;  // Pentium M and VIA C7 as the family rules price them
  }
}

}  // namespace

ClockRates::ClockRates(const ProcessorTraits& traits, const PowerOnData& data)
    : traits_(traits), busMhz_(BusMhzOf(traits, data)) {
  // Intel SDM volume 3, "Time-Stamp Counter": from the Core Duo (family 6 model 14) and
  // the Pentium 4 model 3 on, the counter runs at the highest ratio whatever the state.
  constantTimeStamp_ = traits.family == ModelFamily::kCoreDuo ||
                       traits.family == ModelFamily::kCore2 ||
                       traits.family == ModelFamily::kPentium4 ||
                       // A Crusoe counts at its top clock whatever level LongRun runs at.
                       traits.family == ModelFamily::kTransmeta;
  ModelState high;
  high.family = traits.family;
  high.current = data.high;
  highMhz_ = CoreMhz(high);
  highVolts_ = Volts(high);
  timeStampMhz_ = highMhz_;
  // Today's parts count the time stamp at a constant nominal rate, below the boost clock.
  if (IsModernFamily(traits.family)) {
    constantTimeStamp_ = true;
    timeStampMhz_ = ModernPartFor(traits).timeStampMhz;
  }
  if (traits.family == ModelFamily::kNone) {
    // No performance-state hardware: the part runs at the clock its brand names.
    highMhz_ = BrandClockMhz(traits.brand).value_or(1000.0);
    timeStampMhz_ = highMhz_;
    constantTimeStamp_ = true;
  }
}

double ClockRates::Multiplier(uint32_t fid) const {
  switch (traits_.family) {
    case ModelFamily::kAmdK8:
      return 4.0 + 0.5 * fid;  // FID 0 = 4x in half steps (BKDG, FID code table)
    case ModelFamily::kAmdK7:
      return codes::kK7Multipliers[fid & 0x1F];
    case ModelFamily::kPentiumM:
    case ModelFamily::kCoreDuo:
    case ModelFamily::kCore2:
      // Ratio in bits 12..8, bit 14 adds half a step (non-integer bus ratio).
      return (fid & 0x1F) + ((fid & 0x40) != 0 ? 0.5 : 0.0);
    default:
      return fid;
  }
}

double ClockRates::CoreMhz(const ModelState& state) const {
  if (traits_.family == ModelFamily::kNone) return highMhz_;
  const double bus = state.superLfm ? busMhz_ / 2 : busMhz_;
  return Multiplier(state.current.fid) * bus;
}

double ClockRates::Volts(const ModelState& state) const {
  const uint32_t vid = state.current.vid;
  switch (traits_.family) {
    case ModelFamily::kAmdK8:
      if (traits_.k8Npt) return codes::K8NptVolts(vid);
      return traits_.k8MobileVids ? codes::K8MobileVolts(vid) : codes::K8Volts(vid);
    case ModelFamily::kAmdK7:
      return traits_.mobile ? codes::K7MobileVolts(vid) : codes::K7DesktopVolts(vid);
    case ModelFamily::kPentiumM:
    case ModelFamily::kViaC7:
      return codes::PentiumMVolts(vid);
    case ModelFamily::kCoreDuo:
      return codes::MobileCoreVolts(vid);
    case ModelFamily::kCore2:
      return traits_.mobile ? codes::MobileCoreVolts(vid) : codes::DesktopCoreVolts(vid);
    case ModelFamily::kPentium4:
      return codes::DesktopCoreVolts(vid);
    case ModelFamily::kTransmeta:
      return vid / 1000.0;  // millivolts
    default:
      return 0.0;  // the Pentium 4 model 2's voltage is the chipset's
  }
}

double ClockRates::TimeStampMhz(const ModelState& state) const {
  return constantTimeStamp_ ? timeStampMhz_ : CoreMhz(state);
}

}  // namespace pacetta::sim
