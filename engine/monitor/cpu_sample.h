#pragma once
#include <cstdint>

namespace pacetta {

// The latest monitoring values of one processor. Written only by that processor's
// monitoring thread while the main thread waits for the sample; read by the main thread
// after the wait, so no lock guards it.
struct CpuSample {
  double clock = 0.0;          // MHz; negative when the measurement failed
  double throttle = 0.0;       // share of the time the clock runs; negative = not available
  float multiplier = 0.0f;     // of the current FID; 0 = not available
  float voltage = 0.0f;        // volts of the current VID; 0 = not available
  double cpuLoad = 0.0;        // percent from the busy-cycle counter; -1 = not available
  double osLoad = 0.0;         // percent from the system's processor times; 0 when unknown
  float temperature = -1.0f;   // degrees Celsius, averaged; negative = not available
  int32_t overheat = 0;        // non-zero: thermal throttling now or since the last sample
  double packageWatts = -1.0;  // the package's power (today's processors); negative = n/a
};

// The means over all processors, recomputed at every refresh with sampling. A mean of
// values none of which is available is itself not available (-1).
struct SampleMeans {
  double cpuLoad = -1.0;
  double osLoad = 0.0;
  double temperature = -1.0;
};

}  // namespace pacetta
