#include "cpu/sensors/todays_state.h"

#include <array>
#include <optional>

#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"
#include "hw/msr_request.h"

namespace pacetta {
namespace {

constexpr uint32_t kIntelPerfStatus = 0x198;       // IA32_PERF_STATUS
constexpr uint32_t kAmdPStateStatus = 0xC0010063;  // current P-state in bits 2:0
constexpr uint32_t kAmdPStateDef0 = 0xC0010064;    // P0 definition; P1.. follow
constexpr uint32_t kAmdPStateCount = 8;
constexpr uint32_t kFirstZenFamily = 0x17;
constexpr uint64_t kPStateEnabled = uint64_t{1} << 63;

uint64_t Bits(uint64_t value, unsigned high, unsigned low) {
  return (value >> low) & ((uint64_t{1} << (high - low + 1)) - 1);
}

ReportedState Intel(SensorHardware& hardware) {
  ReportedState state;
  MsrRequest status;
  if (!hardware.driver.ReadMsrValue(status, kIntelPerfStatus) || status.IsAllOnes()) return state;
  const uint64_t value = status.Value();
  state.multiplier = static_cast<double>(Bits(value, 15, 8));
  // Earlier parts leave the field 0: no voltage then.
  state.volts = static_cast<double>(Bits(value, 47, 32)) / 8192.0;
  return state;
}

// The current P-state's definition register of an AMD processor of family 10h or later;
// nullopt when it cannot be read or the state is not enabled.
std::optional<uint64_t> AmdCurrentDefinition(SensorHardware& hardware) {
  MsrRequest current;
  if (!hardware.driver.ReadMsrValue(current, kAmdPStateStatus) || current.IsAllOnes()) {
    return std::nullopt;
  }
  const auto index = static_cast<uint32_t>(Bits(current.Value(), 2, 0));
  MsrRequest definition;
  if (index >= kAmdPStateCount ||
      !hardware.driver.ReadMsrValue(definition, kAmdPStateDef0 + index) || definition.IsAllOnes() ||
      (definition.Value() & kPStateEnabled) == 0) {
    return std::nullopt;
  }
  return definition.Value();
}

ReportedState AmdZen(SensorHardware& hardware) {
  ReportedState state;
  const auto definition = AmdCurrentDefinition(hardware);
  if (!definition) return state;
  const uint64_t value = *definition;
  const uint64_t fid = Bits(value, 7, 0);
  const uint64_t dfsId = Bits(value, 13, 8);
  const uint64_t vid = Bits(value, 21, 14);
  if (dfsId != 0) state.multiplier = static_cast<double>(fid) * 2.0 / static_cast<double>(dfsId);
  const double volts = 1.55 - 0.00625 * static_cast<double>(vid);
  state.volts = volts > 0.0 ? volts : 0.0;
  return state;
}

// Families 11h to 16h (family 14h excepted: its clock hangs on a PLL setting elsewhere).
// The core clock over the 100 MHz reference: (FID + 16) / 2^DID, family 11h (FID + 8);
// family 12h divides by its own divisor list. The serial VID is 7 bits of 12.5 mV, or 8
// bits of 6.25 mV on the parts with the second serial interface (family 15h from model
// 10h, family 16h).
ReportedState AmdBeforeZen(SensorHardware& hardware, uint32_t family, uint32_t model) {
  ReportedState state;
  const auto definition = AmdCurrentDefinition(hardware);
  if (!definition || family == 0x14) return state;
  const uint64_t value = *definition;
  if (family == 0x12) {
    constexpr std::array<double, 9> kDivisors = {1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0, 12.0, 16.0};
    const uint64_t did = Bits(value, 3, 0);
    if (did < kDivisors.size()) {
      state.multiplier = static_cast<double>(Bits(value, 8, 4) + 16) / kDivisors[did];
    }
  } else {
    const uint64_t offset = family == 0x11 ? 8 : 16;
    state.multiplier = static_cast<double>(Bits(value, 5, 0) + offset) /
                       static_cast<double>(1u << Bits(value, 8, 6));
  }
  const bool secondInterface = family == 0x16 || (family == 0x15 && model >= 0x10);
  const double volts = secondInterface ? 1.55 - 0.00625 * static_cast<double>(Bits(value, 16, 9))
                                       : 1.55 - 0.0125 * static_cast<double>(Bits(value, 15, 9));
  state.volts = volts > 0.0 ? volts : 0.0;
  return state;
}

}  // namespace

ReportedState ReadReportedState(const CpuInfo& cpu, SensorHardware& hardware) {
  switch (GetVendorCode(cpu)) {
    case VendorCode::kIntel:
      return Intel(hardware);
    case VendorCode::kAmd:
      if (GetSignature(cpu).Family() >= kFirstZenFamily) return AmdZen(hardware);
      if (GetSignature(cpu).Family() > 0x10) {
        return AmdBeforeZen(hardware, GetSignature(cpu).Family(), GetSignature(cpu).Model());
      }
      break;
    default:
      break;
  }
  return {};
}

}  // namespace pacetta
