#pragma once
#include <cstdint>

namespace pacetta::sim {

// What a processor's counters and sensors see of its work and its heat. The workload
// model of the machine provides it; the registers that report it are the family's.
class ProcessorActivity {
 public:
  struct BusyCycles {
    uint64_t user = 0;    // unhalted core cycles in user mode since power-on
    uint64_t kernel = 0;  // ... in kernel mode
    // Unhalted time counted at the time-stamp rate rather than the core clock (MPERF).
    uint64_t reference = 0;
  };
  struct Heat {
    double celsius = 0;
    bool hot = false;        // at or over the part's thermal limit now
    uint64_t hotEvents = 0;  // how often it crossed the limit since power-on
    double joules = 0;       // energy used since power-on (where the part's power is known)
  };

  virtual ~ProcessorActivity() = default;
  virtual uint64_t TimeStampCounter() = 0;
  virtual void WriteTimeStampCounter(uint64_t value) = 0;
  virtual BusyCycles Busy() = 0;
  virtual Heat Temperature() = 0;
};

}  // namespace pacetta::sim
