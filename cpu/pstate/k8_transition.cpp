#include "cpu/pstate/k8_transition.h"

#include <algorithm>
#include <cmath>

#include "cpu/pstate/amd_fid_vid_write.h"
#include "cpu/pstate/busy_delay.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/k8_fid_path.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/pstate_registers.h"
#include "cpu/pstate/vid_conversion.h"

namespace pacetta {

namespace {

// FIDVID_CTL: FID in bits 5..0, VID in 13..8, InitFidVid (bit 16) starts the change;
// EDX holds the stop-grant time-out count.
constexpr uint32_t kInitFidVid = 0x10000;
// A VID-only step keeps the processor out of stop-grant for the shortest time.
constexpr uint32_t kVidStepStopGrant = 1;
constexpr int32_t kMaxHops = k8::kHighestFid + 1;

// The write sequences of one transition, in FID codes and VID indices.
class K8Sequence {
 public:
  K8Sequence(const CpuInfo& cpu, TransitionEnvironment& environment)
      : cpu_(cpu),
        environment_(environment),
        rampSteps_(K8RampSteps(environment.settings)),
        maxIndex_(VidToIndex(cpu, cpu.maxVid)) {}

  bool HasVoltageRange() const { return maxIndex_ >= 0; }

  // Moves the VID one index at a time to `toVid`, all at `fid`.
  bool StepVid(int32_t fid, int32_t fromVid, int32_t toVid) {
    const int32_t direction = toVid > fromVid ? 1 : -1;
    for (int32_t vid = fromVid; vid != toVid;) {
      vid += direction;
      if (!Write(fid, vid, kVidStepStopGrant, environment_.delays.vid)) return false;
    }
    return true;
  }

  // Raises the voltage to the ramp level at the old FID, changes the FID there and
  // lowers the voltage to the target's at the new FID.
  bool ChangeFid(int32_t fromFid, int32_t fromVid, int32_t toFid, int32_t toVid) {
    const int32_t base = toFid > fromFid ? toVid : fromVid;
    // The FID write must keep the VID: the part refuses a write that changes both. A
    // current voltage above the ramp level is therefore kept through the FID change and
    // lowered afterwards.
    const int32_t top = std::max(fromVid, std::min(maxIndex_, base + rampSteps_));
    for (int32_t vid = fromVid + 1; vid <= top; ++vid) {
      if (!Write(fromFid, vid, kVidStepStopGrant, environment_.delays.vid)) return false;
    }
    if (!Write(toFid, top, environment_.settings.stopGrantTimeoutCount, environment_.delays.fid)) {
      return false;
    }
    for (int32_t vid = top - 1; vid >= toVid; --vid) {
      if (!Write(toFid, vid, kVidStepStopGrant, environment_.delays.vid)) return false;
    }
    return true;
  }

 private:
  bool Write(int32_t fid, int32_t vidIndex, uint32_t stopGrant, uint32_t delay) {
    const int32_t vid = IndexToVid(cpu_, vidIndex);
    if (vid < 0) return false;
    const uint32_t low = static_cast<uint32_t>(vid) << 8 | static_cast<uint32_t>(fid) | kInitFidVid;
    const FidVidWriteResult result = WriteFidVidControl(environment_.driver, low, stopGrant);
    if (!result.written || !result.completed) return false;
    BusyDelay(environment_.driver, delay);
    return true;
  }

  const CpuInfo& cpu_;
  TransitionEnvironment& environment_;
  const int32_t rampSteps_;
  const int32_t maxIndex_;
};

bool IsK8Fid(const CpuInfo& cpu, uint32_t fid) {
  return FidToIndex(cpu, static_cast<int32_t>(std::min<uint32_t>(fid, 0x7FFFFFFF))) >= 0;
}

int32_t VidIndexOf(const CpuInfo& cpu, uint32_t vid) {
  return VidToIndex(cpu, static_cast<int32_t>(std::min<uint32_t>(vid, 0x7FFFFFFF)));
}

// The state FIDVID_STATUS reports now (CurrFID in EAX 5..0, CurrVID in EDX 5..0).
std::optional<FidVid> ReadCurrentState(CPortexDriver& driver) {
  MsrRequest status;
  if (!driver.ReadMsrValue(status, msr::kFidVidStatus)) return std::nullopt;
  return FidVid{static_cast<uint32_t>(pstate::Field(status.low, 5, 0)),
                static_cast<uint32_t>(pstate::Field(status.high, 5, 0))};
}

}  // namespace

int32_t K8RampSteps(const PStateSettings& settings) {
  const auto steps = static_cast<int32_t>(std::lround(settings.k8RampVoltageOffsetMv * 0.04));
  return std::max(steps, 0);
}

bool TransitionK8Direct(const CpuInfo& cpu, TransitionEnvironment& environment, FidVid current,
                        FidVid target) {
  const int32_t fromVid = VidIndexOf(cpu, current.vid);
  const int32_t toVid = VidIndexOf(cpu, target.vid);
  K8Sequence sequence(cpu, environment);
  if (!IsK8Fid(cpu, current.fid) || !IsK8Fid(cpu, target.fid) || fromVid < 0 || toVid < 0 ||
      !sequence.HasVoltageRange()) {
    return false;
  }
  const auto fromFid = static_cast<int32_t>(current.fid);
  const auto toFid = static_cast<int32_t>(target.fid);
  if (fromFid == toFid) return sequence.StepVid(fromFid, fromVid, toVid);
  return sequence.ChangeFid(fromFid, fromVid, toFid, toVid);
}

bool TransitionK8Stepped(const CpuInfo& cpu, TransitionEnvironment& environment, FidVid current,
                         FidVid target, const VidForFid& vidForFid) {
  int32_t vid = VidIndexOf(cpu, current.vid);
  const int32_t toVid = VidIndexOf(cpu, target.vid);
  K8Sequence sequence(cpu, environment);
  if (!IsK8Fid(cpu, current.fid) || !IsK8Fid(cpu, target.fid) || vid < 0 || toVid < 0 ||
      !sequence.HasVoltageRange()) {
    return false;
  }
  const bool fineSteps = k8::IsFineTable(cpu.k8FidTable);
  const auto toFid = static_cast<int32_t>(target.fid);
  auto fid = static_cast<int32_t>(current.fid);
  for (int32_t hops = 0; fid != toFid; ++hops) {
    if (hops == kMaxHops) return false;
    const int32_t next = k8::NextFid(fid, toFid, fineSteps);
    if (next < 0) return false;
    const std::optional<uint32_t> tableVid =
        vidForFid ? vidForFid(static_cast<uint32_t>(next)) : std::nullopt;
    int32_t hopVid = tableVid ? VidIndexOf(cpu, *tableVid) : -1;
    if (hopVid < 0) hopVid = std::max(vid, toVid);
    if (!sequence.ChangeFid(fid, vid, next, hopVid)) return false;

    const std::optional<FidVid> now = ReadCurrentState(environment.driver);
    if (!now || static_cast<int32_t>(now->fid) == fid) return false;  // the write was ignored
    fid = static_cast<int32_t>(now->fid);
    const int32_t nowVid = VidIndexOf(cpu, now->vid);
    vid = nowVid >= 0 ? nowVid : hopVid;
  }
  return sequence.StepVid(fid, vid, toVid);
}

}  // namespace pacetta
