#pragma once
#include <cstdint>

#include "platform/sim/models/family_model.h"
#include "platform/sim/models/power_on_data.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// How fast a processor's clocks run at a given state: the core clock from its FID and
// bus, its voltage from its VID, and the rate of its time-stamp counter, which follows
// the core clock on some families and is constant on others.
class ClockRates {
 public:
  ClockRates(const ProcessorTraits& traits, const PowerOnData& data);

  double BusMhz() const { return busMhz_; }
  // The core clock at `state` (clock modulation not included: it stops the clock, it
  // does not slow it).
  double CoreMhz(const ModelState& state) const;
  // Volts of the state's VID; 0 where the part does not report its voltage.
  double Volts(const ModelState& state) const;
  double TimeStampMhz(const ModelState& state) const;
  // The highest state's clock and voltage, the reference of the thermal model.
  double HighMhz() const { return highMhz_; }
  double HighVolts() const { return highVolts_; }

 private:
  double Multiplier(uint32_t fid) const;

  ProcessorTraits traits_;
  double busMhz_ = 0;
  bool constantTimeStamp_ = false;
  double highMhz_ = 0;
  double highVolts_ = 0;
  double timeStampMhz_ = 0;
};

}  // namespace pacetta::sim
