#include "cpu/sensors/todays_state.h"

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

ReportedState AmdZen(SensorHardware& hardware) {
  ReportedState state;
  MsrRequest current;
  if (!hardware.driver.ReadMsrValue(current, kAmdPStateStatus) || current.IsAllOnes()) {
    return state;
  }
  const auto index = static_cast<uint32_t>(Bits(current.Value(), 2, 0));
  MsrRequest definition;
  if (index >= kAmdPStateCount ||
      !hardware.driver.ReadMsrValue(definition, kAmdPStateDef0 + index) || definition.IsAllOnes() ||
      (definition.Value() & kPStateEnabled) == 0) {
    return state;
  }
  const uint64_t value = definition.Value();
  const uint64_t fid = Bits(value, 7, 0);
  const uint64_t dfsId = Bits(value, 13, 8);
  const uint64_t vid = Bits(value, 21, 14);
  if (dfsId != 0) state.multiplier = static_cast<double>(fid) * 2.0 / static_cast<double>(dfsId);
  const double volts = 1.55 - 0.00625 * static_cast<double>(vid);
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
      break;
    default:
      break;
  }
  return {};
}

}  // namespace pacetta
