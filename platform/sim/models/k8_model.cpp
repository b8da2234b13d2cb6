#include "platform/sim/models/k8_model.h"

#include <algorithm>

#include "platform/sim/models/k8_fid_rules.h"

namespace pacetta::sim {
namespace {

// BIOS setting of HWCR: INVD_WBINVD (bit 4) converts INVD to WBINVD.
constexpr uint64_t kHwcrBiosBits = Bit(4);
constexpr uint64_t kHwcrWritable = 0x00FFFFFF;

}  // namespace

K8Model::K8Model(const ProcessorTraits& traits, const PowerOnData& data,
                 const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock)
    : FamilyModel(std::move(clock)),
      fidVidControl_(traits.fidVidControl),
      fineSteps_(traits.fineFidSteps),
      npt_(traits.k8Npt) {
  current_ = start_ = max_ = data.high;
  maxRampVid_ = data.high.vid;
  // Revision E reports the lowest voltage the part is specified for; revision F keeps
  // PstateStep (bit 56) and IntPstateSup (bit 61) there, both clear on these parts.
  statusHighBits_ = traits.k8RevE ? data.low.vid : 0;

  if (const auto status = msrStart.find(kStatus); status != msrStart.end()) {
    const uint64_t value = status->second;
    current_ = {kCurrentFid.Get(value), VidField(32).Get(value)};
    start_ = {kStartFid.Get(value), VidField(40).Get(value)};
    max_ = {kMaxFid.Get(value), VidField(48).Get(value)};
    maxRampVid_ = kMaxRampVid.Get(value);
    statusHighBits_ = kStatusHighBits.Get(value);
  }
  control_ = StartValue(msrStart, kControl,
                        kNewFid.Put(0, current_.fid) | VidField(8).Put(0, current_.vid));
  registers_.Define(kHwcr,
                    StartValue(msrStart, kHwcr, kHwcrStartFid.Put(kHwcrBiosBits, start_.fid)),
                    kHwcrWritable);
}

std::vector<uint32_t> K8Model::AnsweredRegisters() const {
  if (!fidVidControl_) return {kHwcr};
  return {kHwcr, kControl, kStatus};
}

uint64_t K8Model::Status() const {
  uint64_t value = kCurrentFid.Put(0, current_.fid);
  value = kStartFid.Put(value, start_.fid);
  value = kMaxFid.Put(value, max_.fid);
  value = kMaxRampVid.Put(value, maxRampVid_);
  if (pending_) value |= kFidVidPending;
  value = VidField(32).Put(value, current_.vid);
  value = VidField(40).Put(value, start_.vid);
  value = VidField(48).Put(value, max_.vid);
  return kStatusHighBits.Put(value, statusHighBits_);
}

MsrAccess K8Model::ReadLocked(uint32_t index, uint64_t& value) {
  if (fidVidControl_ && index == kStatus) {
    value = Status();
    return MsrAccess::kDone;
  }
  if (fidVidControl_ && index == kControl) {
    value = control_;
    return MsrAccess::kDone;
  }
  return registers_.Read(index, value);
}

std::optional<std::string> K8Model::Refusal(OperatingPoint requested) const {
  const bool fidChanges = requested.fid != current_.fid;
  const bool vidChanges = requested.vid != current_.vid;
  // A FID transition and a VID transition are separate operations of the part.
  if (fidChanges && vidChanges) return "FID and VID changed in one write";
  if (fidChanges) {
    if (requested.fid > max_.fid) {
      return "FID " + std::to_string(requested.fid) + " above MaxFID " + std::to_string(max_.fid);
    }
    if (auto refusal = K8FidChangeRefusal(current_.fid, requested.fid, fineSteps_)) {
      return refusal;
    }
  }
  // VID codes fall as the voltage rises: a code below MaxVID is more than the part takes.
  if (vidChanges && requested.vid < max_.vid) {
    return "VID " + std::to_string(requested.vid) + " above the maximum voltage (MaxVID " +
           std::to_string(max_.vid) + ")";
  }
  return std::nullopt;
}

MsrAccess K8Model::WriteLocked(MsrContext& context, uint32_t index, uint64_t value) {
  if (!fidVidControl_ || (index != kControl && index != kStatus)) {
    return registers_.Write(index, value);
  }
  if (index == kStatus) return MsrAccess::kFault;  // read-only
  if ((value & kInitFidVid) == 0) {
    control_ = value;  // fields staged for a later InitFidVid
    return MsrAccess::kDone;
  }
  if (pending_) {
    Refuse(context, index, value, "FID/VID control written while a transition is pending");
    return MsrAccess::kDone;
  }
  const OperatingPoint requested{kNewFid.Get(value), VidField(8).Get(value)};
  if (auto refusal = Refusal(requested)) {
    Refuse(context, index, value, *refusal);
    return MsrAccess::kDone;
  }
  control_ = value;
  const uint64_t stopGrant = std::max<uint64_t>(kStopGrantCount.Get(value), 1);
  pending_ = Pending{requested, Now() + stopGrant * kStopGrantPeriodNs};
  return MsrAccess::kDone;
}

void K8Model::Settle(uint64_t nowNs) {
  if (pending_ && nowNs >= pending_->endNs) {
    current_ = pending_->target;
    pending_.reset();
  }
}

ModelState K8Model::StateLocked() const {
  ModelState state;
  state.family = ModelFamily::kAmdK8;
  state.current = current_;
  state.haltedClockDivisor = haltedClockDivisor_;
  state.transitionPending = pending_.has_value();
  if (pending_) {
    state.target = pending_->target;
    state.transitionEndNs = pending_->endNs;
  }
  return state;
}

}  // namespace pacetta::sim
