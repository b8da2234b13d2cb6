#include "cpu/pstate/perf_control.h"

#include "cpu/pstate/busy_delay.h"
#include "cpu/pstate/pstate_registers.h"

namespace pacetta {

namespace {

constexpr uint32_t kSuperLfm = 0x8000;
constexpr uint32_t kFieldMask = 0xFF;

}  // namespace

bool WritePerfControl(CPortexDriver& driver, uint32_t fid, uint32_t vid, bool superLfm,
                      uint32_t delay) {
  // A wider code would spill into the neighbouring field and request another state.
  if (fid > kFieldMask || vid > kFieldMask) return false;
  const uint32_t low = fid << 8 | vid | (superLfm ? kSuperLfm : 0);
  MsrRequest request;
  if (!driver.WriteMsrValue(request, msr::kPerfControl, low, 0)) return false;
  BusyDelay(driver, delay);
  return true;
}

}  // namespace pacetta
