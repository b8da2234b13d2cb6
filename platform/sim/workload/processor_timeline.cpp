#include "platform/sim/workload/processor_timeline.h"

#include <algorithm>
#include <cmath>

namespace pacetta::sim {

ProcessorTimeline::ProcessorTimeline(unsigned processor, const ClockRates& rates,
                                     const ThermalParameters& thermal,
                                     std::shared_ptr<LoadSource> load,
                                     std::shared_ptr<SimClock> clock, const ModelState& initial,
                                     double tscDriftPpm)
    : processor_(processor),
      rates_(rates),
      thermal_(thermal),
      load_(std::move(load)),
      clock_(std::move(clock)),
      tscRate_(1.0 + tscDriftPpm * 1e-6),
      t_(clock_->NowNs()),
      state_(initial) {
  // The machine has been running its first load long enough to be warm.
  const LoadSlice slice = load_->At(processor_, t_);
  celsius_ = SteadyCelsius(thermal_, RelativePowerLocked(DutyLocked(), slice.busy));
  hot_ = thermal_.limitC && celsius_ >= *thermal_.limitC;
  hotEvents_ = hot_ ? 1 : 0;
}

uint64_t ProcessorTimeline::TimeStampCounter() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  return tsc_.Whole() + tscOffset_;
}

void ProcessorTimeline::WriteTimeStampCounter(uint64_t value) {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  tscOffset_ = value - tsc_.Whole();
}

ProcessorActivity::BusyCycles ProcessorTimeline::Busy() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  return {busyUser_.Whole(), busyKernel_.Whole(), busyReference_.Whole()};
}

ProcessorActivity::Heat ProcessorTimeline::Temperature() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  return {celsius_, hot_, hotEvents_, joules_};
}

void ProcessorTimeline::OnModelState(uint64_t nowNs, const ModelState& state) {
  std::lock_guard lock(mutex_);
  // Another thread may have brought the timeline past the model's moment already; the
  // difference is the few microseconds between two register accesses.
  AdvanceLocked(nowNs);
  state_ = state;
}

void ProcessorTimeline::OnChipsetDuty(uint64_t nowNs, double duty) {
  std::lock_guard lock(mutex_);
  AdvanceLocked(nowNs);
  chipsetDuty_ = duty;
}

void ProcessorTimeline::BeginSpin() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  ++spinning_;
}

void ProcessorTimeline::EndSpin() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  if (spinning_ > 0) --spinning_;
}

uint64_t ProcessorTimeline::NanosecondsFor(double cycles) {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  const double hz = CoreMhzLocked(SliceLocked(t_).busy) * 1e6 * DutyLocked();
  if (!(hz > 0) || !(cycles > 0)) return 0;
  return static_cast<uint64_t>(std::ceil(cycles / hz * 1e9));
}

platform::ProcessorTimes ProcessorTimeline::Times() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  return {static_cast<int64_t>(idle_.Whole()), static_cast<int64_t>(kernel_.Whole()),
          static_cast<int64_t>(user_.Whole())};
}

ProcessorTruth ProcessorTimeline::Truth() {
  std::lock_guard lock(mutex_);
  AdvanceLocked(clock_->NowNs());
  ProcessorTruth truth;
  truth.busy = SliceLocked(t_).busy;
  truth.coreMhz = CoreMhzLocked(truth.busy);
  truth.haltedMhz = truth.coreMhz / std::max(state_.haltedClockDivisor, 1u);
  truth.duty = DutyLocked();
  truth.celsius = celsius_;
  truth.hot = hot_;
  truth.throttled = hot_ && state_.thermalMonitor;
  return truth;
}

void ProcessorTimeline::CompleteDueTransitionLocked() {
  if (!state_.transitionPending || state_.transitionEndNs > t_) return;
  if (state_.target) state_.current = *state_.target;
  state_.superLfm = state_.targetSuperLfm;
  state_.transitionPending = false;
  state_.target.reset();
}

LoadSlice ProcessorTimeline::SliceLocked(uint64_t ns) {
  if (spinning_ > 0) return {1.0, 0.0};
  return load_->At(processor_, ns);
}

double ProcessorTimeline::DutyLocked() const {
  // The processor's modulation and the chipset's STPCLK# gate the clock independently:
  // it runs only while neither stops it.
  double duty = state_.dutyEighths / 8.0 * chipsetDuty_;
  // Automatic thermal control (TM1) stops the clock half of the time while hot.
  if (hot_ && state_.thermalMonitor) duty = std::min(duty, 0.5);
  return duty;
}

double ProcessorTimeline::CoreMhzLocked(double busy) const {
  const double ceiling = rates_.CoreMhz(state_);
  if (state_.loadFloorFid == 0) return ceiling;
  ModelState idle = state_;
  idle.current.fid = state_.loadFloorFid;
  // Like the kernel's schedutil and the parts' own HWP: a quarter of headroom over the
  // load, never below the floor the policy sets.
  return std::clamp(1.25 * busy * ceiling, std::min(rates_.CoreMhz(idle), ceiling), ceiling);
}

double ProcessorTimeline::RelativePowerLocked(double duty, double busy) const {
  const double high = rates_.HighMhz();
  const double clock = high > 0 ? CoreMhzLocked(busy) / high : 1.0;
  const double volts = rates_.Volts(state_), highVolts = rates_.HighVolts();
  const double voltage = volts > 0 && highVolts > 0 ? (volts / highVolts) * (volts / highVolts) : 1;
  // Half of a halted core's power is leakage; the rest follows its clock, which a K7
  // divides while the bus is disconnected.
  const double halted =
      thermal_.idlePowerShare * (0.5 + 0.5 / std::max(state_.haltedClockDivisor, 1u));
  const double running = duty * busy;
  return clock * voltage * (halted * (1 - running) + running);
}

std::optional<uint64_t> ProcessorTimeline::HeatFlipLocked(double steadyC, uint64_t spanNs) const {
  if (!thermal_.limitC) return std::nullopt;
  // Without a gap between the two thresholds the state would flip back and forth at once.
  const double hysteresis = std::max(thermal_.hysteresisC, 0.01);
  const double threshold = hot_ ? *thermal_.limitC - hysteresis : *thermal_.limitC;
  if (hot_ ? celsius_ <= threshold : celsius_ >= threshold) return 0;
  const auto seconds = SecondsUntil(thermal_, celsius_, steadyC, threshold);
  if (!seconds || *seconds * 1e9 > static_cast<double>(spanNs)) return std::nullopt;
  return std::min<uint64_t>(static_cast<uint64_t>(std::ceil(*seconds * 1e9)), spanNs);
}

void ProcessorTimeline::IntegrateLocked(uint64_t spanNs, const LoadSlice& slice, double duty,
                                        double steadyC) {
  const double ns = static_cast<double>(spanNs);
  tsc_.Add(rates_.TimeStampMhz(state_) * 1e-3 * ns * tscRate_);
  const double running = CoreMhzLocked(slice.busy) * 1e-3 * ns * duty * slice.busy;
  busyUser_.Add(running * (1 - slice.kernelShare));
  busyKernel_.Add(running * slice.kernelShare);
  busyReference_.Add(rates_.TimeStampMhz(state_) * 1e-3 * ns * duty * slice.busy);
  joules_ += thermal_.highWatts * RelativePowerLocked(duty, slice.busy) * ns * 1e-9;
  const double units = ns / 100;
  const double busyUnits = units * slice.busy;
  idle_.Add(units - busyUnits);
  kernel_.Add(units - busyUnits + busyUnits * slice.kernelShare);
  user_.Add(busyUnits * (1 - slice.kernelShare));
  celsius_ = CelsiusAfter(thermal_, celsius_, steadyC, ns * 1e-9);
}

void ProcessorTimeline::AdvanceLocked(uint64_t nowNs) {
  while (t_ < nowNs) {
    CompleteDueTransitionLocked();
    uint64_t end = nowNs;
    if (state_.transitionPending) end = std::min(end, state_.transitionEndNs);
    const LoadSlice slice = SliceLocked(t_);
    end = std::min(end, std::max(slice.untilNs, t_ + 1));
    const double duty = DutyLocked();
    const double steady = SteadyCelsius(thermal_, RelativePowerLocked(duty, slice.busy));
    const auto flip = HeatFlipLocked(steady, end - t_);
    if (flip) end = t_ + *flip;
    IntegrateLocked(end - t_, slice, duty, steady);
    t_ = end;
    if (flip) {
      hot_ = !hot_;
      if (hot_) ++hotEvents_;
    }
  }
  CompleteDueTransitionLocked();
}

}  // namespace pacetta::sim
