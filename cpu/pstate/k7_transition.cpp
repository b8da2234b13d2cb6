#include "cpu/pstate/k7_transition.h"

#include "cpu/pstate/amd_fid_vid_write.h"
#include "cpu/pstate/busy_delay.h"
#include "cpu/pstate/k7_encoding.h"

namespace pacetta {

namespace {

// K7 FIDVID_CTL: FID in bits 4..0 with FIDC (bit 16), VID in bits 12..8 with VIDC
// (bit 17); EDX is the stop-grant time-out count.
constexpr uint32_t kFidChange = 0x10000;
constexpr uint32_t kVidChange = 0x20000;
constexpr uint32_t kVidStopGrant = 100;

bool IsCode(uint32_t code) {
  return code < static_cast<uint32_t>(k7::kCodeCount);
}

}  // namespace

bool TransitionK7(const CpuInfo& /*cpu*/, TransitionEnvironment& environment, FidVid current,
                  FidVid target) {
  if (!IsCode(current.fid) || !IsCode(target.fid) || !IsCode(current.vid) || !IsCode(target.vid)) {
    return false;
  }
  CPortexDriver& driver = environment.driver;
  const auto writeFid = [&] {
    const FidVidWriteResult result = WriteFidVidControl(driver, target.fid | kFidChange,
                                                        environment.settings.stopGrantTimeoutCount);
    if (!result.written || !result.completed) return false;
    BusyDelay(driver, environment.delays.fid);
    return true;
  };
  const auto writeVid = [&] {
    const FidVidWriteResult result =
        WriteFidVidControl(driver, target.vid << 8 | kVidChange, kVidStopGrant);
    if (!result.written || !result.completed) return false;
    BusyDelay(driver, environment.delays.vid);
    return true;
  };

  const bool vidChanges = current.vid != target.vid;
  const bool slower = k7::FidRank(static_cast<int32_t>(target.fid)) <
                      k7::FidRank(static_cast<int32_t>(current.fid));
  if (slower) return writeFid() && (!vidChanges || writeVid());
  if (vidChanges && !writeVid()) return false;
  return current.fid == target.fid || writeFid();
}

}  // namespace pacetta
