#include "cpu/sensors/overheat.h"

#include "cpu/identify/bits.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/sensors/sensor_registers.h"

namespace pacetta {

bool ReadOverheat(const CpuInfo& cpu, SensorHardware& hardware) {
  if (!SupportsTm1(cpu) && !SupportsTm2(cpu)) return false;
  MsrRequest request;
  // A failed read shows all ones: it would report heat and write all ones back.
  if (!hardware.driver.ReadMsrValue(request, msr::kThermStatus)) return false;
  const bool now = identify::Bit(request.low, msr::kThermalNowBit);
  const bool logged = identify::Bit(request.low, msr::kThermalLogBit);
  if (logged) {
    // The log bit is sticky: writing it 0 acknowledges the event (IA32_THERM_STATUS).
    request.low &= ~(1u << msr::kThermalLogBit);
    hardware.driver.WriteMsr(request);
  }
  return now || logged;
}

}  // namespace pacetta
