#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/os_entry_points.h"
#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/workload/processor_timeline.h"
#include "platform/sim/workload/sim_clock.h"
#include "platform/sim/workload/workload_options.h"

namespace pacetta::sim {

// The work and heat of a simulated machine: one timeline per processor, driven by the
// load model, the family models' states and the machine's clock, behind each
// processor's time-stamp and performance counters, its thermal registers and the
// operating system's processor times.
class Workload {
 public:
  // A pass of the busy-delay loop is 120 no-operations; these cores retire three per
  // clock.
  static constexpr double kCyclesPerPass = 40;

  // `hostTimes`: where the host's processor times come from in host mode (the Linux
  // /proc/stat when null).
  Workload(const MachineSpec& machine, DriverHardware& hardware, const ProcessorModels& models,
           std::shared_ptr<SimClock> clock, const WorkloadOptions& options,
           std::shared_ptr<platform::OsEntryPoints> hostTimes = nullptr);
  Workload(const Workload&) = delete;
  Workload& operator=(const Workload&) = delete;
  ~Workload();

  SimClock& Clock() { return *clock_; }
  // Processor k's time-stamp counter, as the instruction reads it there.
  uint64_t TimeStampCounter(unsigned k);
  // Busy-waits `iterations` passes on processor k: the processor is fully busy and the
  // caller returns when the passes would have run at its present clock.
  void SpinDelay(unsigned k, uint32_t iterations);
  // Idle, kernel (with idle) and user time of each processor since the machine started.
  void ProcessorTimes(std::span<platform::ProcessorTimes> times);
  std::optional<ProcessorTruth> Truth(unsigned k);

 private:
  std::shared_ptr<SimClock> clock_;
  std::vector<std::shared_ptr<ProcessorTimeline>> timelines_;
  std::vector<FamilyModel*> listened_;
};

}  // namespace pacetta::sim
