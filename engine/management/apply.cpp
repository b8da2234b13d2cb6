#include "engine/management/apply.h"

#include <optional>

#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/clock_modulation.h"
#include "cpu/pstate/k7_transition.h"
#include "cpu/pstate/k8_fid_path.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/k8_transition.h"
#include "cpu/pstate/kernel_policy.h"
#include "cpu/pstate/perf_control.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/reading_fields.h"

namespace pacetta::management {
namespace {

// "AMDK8.PSTMethod" bit 3: change the FID along the path of directly reachable FIDs.
constexpr uint32_t kK8SteppedPath = 1u << 3;

bool Within(int32_t position, int32_t last) {
  return position >= 0 && position <= last;
}

// Settling waits as busy-loop passes at the processor's present clock.
TransitionDelays DelaysAt(const CpuInfo& cpu, FidVid now, const ApplyContext& context) {
  const double multiplier = MultiplierOf(cpu, static_cast<int32_t>(now.fid));
  const double clockMhz =
      multiplier > 0.0 ? context.busClockMhz * multiplier : context.lastClockMhz;
  return {DelayPasses(clockMhz, context.settings.fidDelayUs, context.cyclesPerPass),
          DelayPasses(clockMhz, context.settings.vidDelayUs, context.cyclesPerPass)};
}

// The VID the table gives a hop's FID: the row of that FID. Looked up by FID rather than
// by its rank above the lowest FID, since a K8 table leaves out the FIDs the part cannot
// reach and so has gaps.
VidForFid TableVids(const PStateTable& table) {
  return [&table](uint32_t fid) -> std::optional<uint32_t> {
    for (int32_t i = 0; i < table.Count(); ++i) {
      const PState* row = table.Row(i);
      if (row && row->fid == fid) return row->vid;
    }
    return std::nullopt;
  };
}

// Whether every FID on the K8's path from `from` to `to` lies within the part's limits:
// a low FID is entered only through its gateway set, which a part with a low highest FID
// may not reach (FID 4 of the even table needs FID 14).
bool K8PathWithinLimits(const CpuInfo& cpu, int32_t from, int32_t to) {
  const bool fine = k8::IsFineTable(cpu.k8FidTable);
  for (int32_t hops = 0; from != to && hops < k8::kFidCodeCount; ++hops) {
    from = k8::NextFid(from, to, fine);
    if (from < 0 || from > cpu.maxFid) return false;
  }
  return from == to;
}

// Returns whether a transition was issued; `failed` when it reported failure.
bool ApplyState(CpuInfo& cpu, const PState& row, const ApplyContext& context, bool& failed,
                const PStateTable& table) {
  ReadCurrentState(cpu, context.hardware);  // afresh: the last transition may have failed
  const FidVid now{sensors::LoadReading(cpu.currentFid), sensors::LoadReading(cpu.currentVid)};
  const FidVid target{row.fid, row.vid};
  if (now.fid == target.fid && now.vid == target.vid) return false;

  TransitionEnvironment environment{context.hardware.driver, context.settings,
                                    DelaysAt(cpu, now, context)};
  bool ok = true;
  if (cpu.kernelPolicy >= 0) {
    ok = context.hardware.kernel && SteerKernelPolicy(cpu, *context.hardware.kernel, target.fid);
  } else if ((cpu.isK8 || cpu.isK7) && !SupportsFidVidControl(cpu)) {
    return false;  // the FID is fixed by the hardware configuration
  } else if (cpu.isK8) {
    // A FID the part cannot reach in one change (a low FID outside its gateway set, or a
    // high FID more than one step away) goes along the path even without bit 3: the
    // direct write would be refused.
    if (!K8PathWithinLimits(cpu, static_cast<int32_t>(now.fid), static_cast<int32_t>(target.fid))) {
      failed = true;  // the part refuses a FID above its highest; nothing is written
      return false;
    }
    const bool direct =
        k8::NextFid(static_cast<int32_t>(now.fid), static_cast<int32_t>(target.fid),
                    k8::IsFineTable(cpu.k8FidTable)) == static_cast<int32_t>(target.fid);
    ok = ((context.settings.k8PstMethod & kK8SteppedPath) || !direct)
             ? TransitionK8Stepped(cpu, environment, now, target, TableVids(table))
             : TransitionK8Direct(cpu, environment, now, target);
  } else if (cpu.isK7) {
    ok = TransitionK7(cpu, environment, now, target);
  } else if (cpu.isIntelPState || context.viaSystem) {
    ok = WritePerfControl(context.hardware.driver, target.fid, target.vid, IsHalfRatio(row),
                          environment.delays.vid);
  } else {
    return false;  // no transition this family knows
  }
  failed = failed || !ok;
  return true;
}

}  // namespace

ApplyResult ApplyPositions(CpuInfo& cpu, const ProfileHalf& half, const PStateTable& table,
                           ListPositions positions, const ApplyContext& context) {
  ApplyResult result;
  if (ManagesStates(half) && Within(positions.state, half.lastState)) {
    const PState* row = table.Row(half.states[static_cast<size_t>(positions.state)]);
    if (row) result.changed = ApplyState(cpu, *row, context, result.failed, table);
  }
  if (ManagesThrottle(half) && Within(positions.throttle, half.lastThrottle) && SupportsOdcm(cpu)) {
    const auto level =
        static_cast<uint32_t>(half.throttles[static_cast<size_t>(positions.throttle)]);
    uint32_t now = kFullClockLevel;
    ReadThrottle(cpu, context.hardware.driver, now);
    if (now != level) {
      result.changed = true;
      if (!WriteThrottle(cpu, context.hardware.driver, level)) result.failed = true;
    }
  }
  return result;
}

}  // namespace pacetta::management
