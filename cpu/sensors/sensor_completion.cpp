#include "cpu/sensors/sensor_completion.h"

#include "cpu/pstate/kernel_policy.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/cycle_counter.h"
#include "cpu/sensors/temperature.h"

namespace pacetta {

void ReadingsCompletion::ReadPerformanceStates(CpuInfo& info) {
  // Identification leaves the thread on the record's processor; the limits pin again.
  ReadCurrentState(info, sensors_);
  ReadRequestedState(info, sensors_);
  limits_.ReadPerformanceStates(info);
  // Today's processors take their states from the kernel's policy.
  if (sensors_.kernel) AdoptKernelPolicy(info, sensors_.kernel->Policies());
}

void ReadingsCompletion::PrepareProcessor(CpuInfo& info) {
  EnableUserCounterReads(sensors_);
  SetupCycleCounter(info, sensors_);
  InitTemperature(info, sensors_);
}

}  // namespace pacetta
