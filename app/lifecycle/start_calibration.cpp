#include "app/lifecycle/start_calibration.h"

#include "cpu/identify/feature_predicates.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/sensor_registers.h"
#include "engine/monitor/activity_sampling.h"
#include "hw/msr_request.h"
#include "hw/pinning.h"

namespace pacetta {
namespace {

constexpr uint32_t kEnhancedSpeedStepEnableBit = 16;

}  // namespace

bool EnhancedSpeedStepOn(const CpuInfo& processor0, SensorHardware& hardware,
                         platform::Processors& processors) {
  if (!SupportsSpeedStep(processor0)) return false;
  PinToProcessor(processors, processor0.index);
  MsrRequest request;
  const bool read = hardware.driver.ReadMsrValue(request, msr::kMiscEnable);
  UnpinThread(processors);
  return read && ((request.low >> kEnhancedSpeedStepEnableBit) & 1u) != 0;
}

Calibration CalibrateAtStart(std::vector<CpuInfo>& records, SensorHardware& hardware,
                             platform::Processors& processors) {
  Calibration calibration;
  if (records.empty()) return calibration;
  CalibrateDelayLoop(processors, hardware.cpu, calibration.cyclesPerPass);
  const bool pin = records.size() > 1;
  if (pin) PinToProcessor(processors, 0);
  CpuInfo& cpu = records[0];
  ReadCurrentState(cpu, hardware);
  ClockReading clock;
  if (MeasureClock(cpu, hardware, kCalibrationPasses, clock)) {
    // Without family rules the time-stamp counter runs at its own constant rate, which
    // the activity counters' clock is reckoned in.
    if (MeasuresByActivity(cpu)) calibration.tscMhz = clock.clockHz * 1e-6;
    calibration.busClockMhz =
        BusClockMhz(clock.clockHz, MultiplierOf(cpu, static_cast<int32_t>(cpu.currentFid)));
  }
  if (pin) UnpinThread(processors);
  return calibration;
}

}  // namespace pacetta
