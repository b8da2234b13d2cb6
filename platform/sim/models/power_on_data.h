#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// A frequency and voltage identifier pair in the family's own encoding.
struct OperatingPoint {
  uint32_t fid = 0;
  uint32_t vid = 0;
  bool operator==(const OperatingPoint&) const = default;
};

// What a processor comes out of reset with: the limits its status registers report and the
// state the BIOS leaves it in (the highest state, where every modelled family boots).
struct PowerOnData {
  OperatingPoint high;  // highest frequency at its voltage (AMD MaxFID/MaxVID, Intel HFM)
  OperatingPoint low;   // the lowest state the part is specified for (min P-state, LFM)
  std::optional<OperatingPoint> superLfm;  // Core 2 with DFFS: the half-bus state
  std::optional<OperatingPoint> ida;       // Core 2 with dynamic acceleration
  // Intel front-side bus code: MSR 0CDh bits 2..0 on Core processors, MSR 2Ch bits
  // 18..16 on the Pentium 4.
  uint32_t busCode = 0;
  bool junction85 = false;  // Core 2: a part whose junction maximum is 85 °C (MSR 0EEh bit 30)
  std::string source;       // the published part or the family rule that gave the values
  // AMD K7 front-side bus clock in MHz (the bus is not in a register); 0 = the family's
  // usual bus for the model.
  double k7BusMhz = 0;
};

// The published data of the processor when it is a known part, otherwise the family's
// rule applied to what its brand string says (Intel and VIA brands carry the clock).
// Only meaningful for a family that has a model.
PowerOnData PowerOnDataFor(const ProcessorTraits& traits);

// The clock in MHz that a brand string names ("@ 2.16GHz", "1.60GHz", "1500MHz"), if any.
std::optional<double> BrandClockMhz(const std::string& brand);

}  // namespace pacetta::sim
