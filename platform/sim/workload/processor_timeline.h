#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/os_entry_points.h"
#include "platform/sim/models/clock_rates.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/processor_activity.h"
#include "platform/sim/workload/load_source.h"
#include "platform/sim/workload/sim_clock.h"
#include "platform/sim/workload/tally.h"
#include "platform/sim/workload/thermal_model.h"

namespace pacetta::sim {

// What one processor is doing now, read past its registers.
struct ProcessorTruth {
  double coreMhz = 0;    // the clock the core runs at
  double haltedMhz = 0;  // ... while it is halted
  double duty = 1;       // share of the time that clock runs (modulation, heat)
  double busy = 0;       // share of the time the processor is busy
  double celsius = 0;
  bool hot = false;        // at or over its thermal limit
  bool throttled = false;  // its clock is throttled for heat
};

// The history of one processor: its counters, its operating-system times and its
// temperature are integrals over time of rates that stay constant between events (a
// change of state, of load, a spinning thread starting or ending, the temperature
// crossing the limit). Every read first brings the integrals up to the clock's now.
class ProcessorTimeline final : public ProcessorActivity {
 public:
  ProcessorTimeline(unsigned processor, const ClockRates& rates, const ThermalParameters& thermal,
                    std::shared_ptr<LoadSource> load, std::shared_ptr<SimClock> clock,
                    const ModelState& initial, double tscDriftPpm = 0.0);

  uint64_t TimeStampCounter() override;
  void WriteTimeStampCounter(uint64_t value) override;
  BusyCycles Busy() override;
  Heat Temperature() override;

  // The family model's listener: the state as of `nowNs`.
  void OnModelState(uint64_t nowNs, const ModelState& state);
  // The chipset's throttling (STPCLK# duty): the share of the time the clock may run, on
  // top of the processor's own clock modulation.
  void OnChipsetDuty(uint64_t nowNs, double duty);
  // A thread pinned to this processor spins: fully busy, in user mode, until it ends.
  void BeginSpin();
  void EndSpin();
  // How long `cycles` core cycles take at the clock the core runs now.
  uint64_t NanosecondsFor(double cycles);

  platform::ProcessorTimes Times();
  ProcessorTruth Truth();

 private:
  void AdvanceLocked(uint64_t nowNs);
  void CompleteDueTransitionLocked();
  LoadSlice SliceLocked(uint64_t ns);
  double DutyLocked() const;
  // The core clock at a busy share: today's parts follow the load within their state.
  double CoreMhzLocked(double busy) const;
  double RelativePowerLocked(double duty, double busy) const;
  // When in the next `spanNs` the temperature crosses the hot or the cool threshold.
  std::optional<uint64_t> HeatFlipLocked(double steadyC, uint64_t spanNs) const;
  void IntegrateLocked(uint64_t spanNs, const LoadSlice& slice, double duty, double steadyC);

  const unsigned processor_;
  const ClockRates rates_;
  const ThermalParameters thermal_;
  const std::shared_ptr<LoadSource> load_;
  const std::shared_ptr<SimClock> clock_;
  // The time-stamp counter's rate over the nominal one.
  const double tscRate_;

  std::mutex mutex_;
  uint64_t t_;
  ModelState state_;
  double chipsetDuty_ = 1;
  unsigned spinning_ = 0;
  Tally tsc_, busyUser_, busyKernel_, busyReference_;
  double joules_ = 0;
  Tally idle_, kernel_, user_;  // 100-ns units; kernel includes idle
  uint64_t tscOffset_ = 0;
  double celsius_ = 0;
  bool hot_ = false;
  uint64_t hotEvents_ = 0;
};

}  // namespace pacetta::sim
