#pragma once
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/limits_completion.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// Completes identification with the readings: the current and requested state before
// the limits and candidates, then the per-processor preparation (user-mode counter reads
// on a 32-bit system, the busy-cycle counter and its histories, the temperature ring).
class ReadingsCompletion final : public IdentificationCompletion {
 public:
  ReadingsCompletion(PStateHardware& pstates, SensorHardware& sensors)
      : limits_(pstates), sensors_(sensors) {}
  void ReadPerformanceStates(CpuInfo& info) override;
  void PrepareProcessor(CpuInfo& info) override;

 private:
  LimitsCompletion limits_;
  SensorHardware& sensors_;
};

}  // namespace pacetta
