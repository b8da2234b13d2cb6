#include "cpu/pstate/clock_modulation.h"

#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/pstate_registers.h"

namespace pacetta {

namespace {

// IA32_CLOCK_MODULATION (IA-32 SDM vol. 3, "On-demand clock modulation"): bit 4
// enables modulation, bits 3..1 the duty cycle in eighths.
constexpr unsigned kEnableBit = 4;
constexpr uint32_t kLevelBits = 0x1E;

}  // namespace

bool ReadThrottle(const CpuInfo& cpu, CPortexDriver& driver, uint32_t& level) {
  level = kFullClockLevel;
  if (!SupportsOdcm(cpu)) return false;
  MsrRequest request;
  if (!driver.ReadMsrValue(request, msr::kClockModulation)) return false;
  if (!pstate::Bit(request.low, kEnableBit)) return false;
  level = static_cast<uint32_t>(pstate::Field(request.low, 3, 1));
  return true;
}

bool WriteThrottle(const CpuInfo& cpu, CPortexDriver& driver, uint32_t level) {
  if (level < 1 || level > kFullClockLevel || !SupportsOdcm(cpu)) return false;
  MsrRequest request;
  // Writing back a failed read's all ones would set every reserved bit.
  if (!driver.ReadMsrValue(request, msr::kClockModulation)) return false;
  uint32_t low = request.low & ~kLevelBits;
  if (level != kFullClockLevel) low |= 1u << kEnableBit | (level & 7) << 1;
  return driver.WriteMsrValue(request, msr::kClockModulation, low, request.high);
}

}  // namespace pacetta
