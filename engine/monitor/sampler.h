#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "cpu/cpu_info.h"
#include "cpu/sensors/activity_counters.h"
#include "cpu/sensors/package_energy.h"
#include "cpu/sensors/sensor_hardware.h"
#include "engine/monitor/cpu_sample.h"
#include "engine/monitor/display_texts.h"
#include "engine/monitor/monitoring_threads.h"
#include "engine/monitor/os_load.h"
#include "engine/monitor/refresh_gate.h"
#include "engine/monitor/refresh_observer.h"
#include "engine/monitor/sampler_settings.h"
#include "engine/monitor/tsc_synchroniser.h"

namespace pacetta {

struct RefreshFlags {
  bool skipSampling = false;  // show the values as they are (the window was just shown)
  bool redrawViews = false;   // the views redraw completely
};

// What the sampler works on and reports to.
struct SamplerContext {
  std::span<CpuInfo> processors;  // record k is processor k
  SensorHardware& hardware;
  platform::Processors& affinity;
  platform::NamedEvent& stopSignal;  // the single-instance event, set at shutdown
  TextLookup texts;
  RefreshObserver& observer;
  // The idle helpers' consumed times; null when the program has none.
  IdleHelperTimes* idleHelper = nullptr;
  MonitoringThreads::ThreadStarter threadStarter = MonitoringThreads::StartThread;
};

// The monitoring sampler: one monitoring thread per processor delivers a sample at every
// refresh, the main thread combines them into means, texts and the overheat alert; the
// management threads measure their load here once per control period.
class Sampler {
 public:
  Sampler(SamplerContext context, const SamplerSettings& settings, const Calibration& calibration);
  Sampler(const Sampler&) = delete;
  Sampler& operator=(const Sampler&) = delete;
  ~Sampler();

  // Main thread. Takes effect at the next sample or control period.
  void ApplySettings(const SamplerSettings& settings);
  void SetCalibration(const Calibration& calibration);
  void SetPowerSource(PowerSource source) { powerSource_ = source; }
  // Runs at the end of every monitoring sample, before the time-stamp synchroniser, on
  // the sampled processor's thread. Set before Start.
  void SetSampleTail(std::function<void(uint32_t processor)> tail) { tail_ = std::move(tail); }

  // Creates the monitoring threads, each bound to its processor; they wait for the first
  // refresh. The time-stamp synchroniser takes its settings now. False when a thread could not be
  // created (none runs then, and refreshes show the values as they are).
  bool Start();
  // Ends and joins the monitoring threads; the stop signal ends them as well.
  void Stop();

  // The refresh timer's work, on the main thread. `nowMs` is the system tick count. False
  // when it came too soon after the last one and nothing was done.
  bool Refresh(RefreshFlags flags, uint32_t nowMs);

  // On processor k's management thread, pinned to k, once per control period: measures
  // and stores (atomically) the processor's management load.
  void MeasureManagementLoad(uint32_t k);
  int32_t ManagementLoad(uint32_t k) const;
  // The load processor k decides by ("CpuLoadMethod"), from the stored loads, capped at
  // 100. Read by the deciding thread after the management barrier.
  int32_t CombinedLoad(uint32_t k) const;
  // The last clock processor k's monitoring measured, in MHz; 0 before the first. Safe
  // from any thread.
  double LastClockMhz(uint32_t k) const { return k < count_ ? slots_[k].lastClockMhz.load() : 0.0; }

  // Main thread, after a refresh.
  const CpuSample& Sample(uint32_t k) const { return slots_[k].sample; }
  const SampleMeans& Means() const { return means_; }
  const DisplayTexts& Texts() const { return texts_; }
  // Whose values the tray shows next; advances at every refresh.
  uint32_t DisplayProcessor() const { return displayProcessor_; }
  // Whose values Texts() show: the display processor of the last refresh that sampled.
  uint32_t ShownProcessor() const { return shownProcessor_; }
  uint32_t ProcessorCount() const { return count_; }
  // How many refreshes took new samples so far.
  uint64_t SamplesShown() const { return samplesShown_; }

 private:
  struct ProcessorSlot {
    CpuSample sample;  // written by the monitoring thread only
    OsTimesHistory monitoringTimes;
    OsTimesHistory managementTimes;
    std::atomic<int32_t> managementLoad{0};
    std::atomic<double> lastClockMhz{0.0};  // the last clock measured, for sizing loops
    // The activity counters at the last monitoring and management samples (each
    // touched by its own thread only).
    ActivityCounters monitoringActivity;
    ActivityCounters managementActivity;
    PackageEnergy packageEnergy;
  };

  void TakeSample(uint32_t k);
  void ShowTheSampledValues();
  IdleHelperTimes* IdleHelperInUse() const;

  SamplerContext context_;
  uint32_t count_;
  std::array<ProcessorSlot, kMaxProcessors> slots_;

  // Read by the worker threads.
  std::atomic<int32_t> loadDepth_, temperatureDepth_, cpuLoadMethod_, cpuOsLoadSelect_,
      runHltOnIdle_;
  std::atomic<double> busClockMhz_, cyclesPerPass_, tscMhz_;
  // Main thread only.
  SamplerSettings settings_;
  PowerSource powerSource_ = PowerSource::kUnknown;
  RefreshGate gate_;
  SampleMeans means_;
  DisplayTexts texts_;
  uint32_t displayProcessor_ = 0;
  uint32_t shownProcessor_ = 0;
  uint64_t samplesShown_ = 0;
  std::function<void(uint32_t)> tail_;
  TscSynchroniser tscSync_;

  // Last member: the threads are joined before anything they use is destroyed.
  MonitoringThreads threads_;
};

}  // namespace pacetta
