#include "engine/monitor/sampler.h"

#include <algorithm>
#include <optional>

#include "engine/monitor/activity_sampling.h"
#include "engine/monitor/load_combination.h"
#include "engine/monitor/measurements.h"
#include "engine/monitor/sample_means.h"

namespace pacetta {
namespace {

uint32_t Depth(int32_t value) {
  return static_cast<uint32_t>(std::clamp(value, 1, 63));
}

}  // namespace

Sampler::Sampler(SamplerContext context, const SamplerSettings& settings,
                 const Calibration& calibration)
    : context_(std::move(context)),
      count_(static_cast<uint32_t>(std::min<size_t>(context_.processors.size(), kMaxProcessors))),
      tscSync_(context_.processors, context_.hardware),
      threads_(context_.affinity, context_.stopSignal, context_.threadStarter) {
  ApplySettings(settings);
  SetCalibration(calibration);
}

Sampler::~Sampler() {
  Stop();
}

void Sampler::ApplySettings(const SamplerSettings& settings) {
  settings_ = settings;
  loadDepth_ = settings.loadDepth;
  temperatureDepth_ = settings.temperatureDepth;
  cpuLoadMethod_ = settings.cpuLoadMethod;
  cpuOsLoadSelect_ = settings.cpuOsLoadSelect;
  runHltOnIdle_ = settings.runHltOnIdle;
}

void Sampler::SetCalibration(const Calibration& calibration) {
  busClockMhz_ = calibration.busClockMhz;
  cyclesPerPass_ = calibration.cyclesPerPass;
  tscMhz_ = calibration.tscMhz;
}

bool Sampler::Start() {
  if (threads_.Running()) return false;
  TscSyncConfig sync;
  sync.enabled = settings_.tscSyncEnable != 0;
  sync.sourceCore = settings_.tscSyncSource == 1 ? 1 : 0;
  sync.periodPasses = TscSyncPeriod(settings_.tscSyncIntervalMs, settings_.refreshMs);
  sync.waitBound = settings_.tscSyncWaitMs > 0 ? std::chrono::milliseconds(settings_.tscSyncWaitMs)
                                               : TscSyncWaitBound(settings_.refreshMs);
  tscSync_.Restart(sync);
  return threads_.Start(count_, [this](uint32_t k) { TakeSample(k); });
}

void Sampler::Stop() {
  threads_.Stop();
}

IdleHelperTimes* Sampler::IdleHelperInUse() const {
  return runHltOnIdle_.load() != 0 ? context_.idleHelper : nullptr;
}

void Sampler::TakeSample(uint32_t k) {
  ProcessorSlot& slot = slots_[k];
  const LoadSources sources{context_.hardware, count_, IdleHelperInUse()};
  MonitoringParameters parameters;
  parameters.calibration = {busClockMhz_.load(), cyclesPerPass_.load()};
  parameters.temperatureDepth = Depth(temperatureDepth_.load());
  parameters.lastClockMhz = slot.lastClockMhz.load();
  CpuInfo& cpu = context_.processors[k];
  if (MeasuresByActivity(cpu)) {
    parameters.calibration.tscMhz = tscMhz_.load();
    TakeActivitySample(cpu, sources, slot.monitoringTimes, slot.monitoringActivity,
                       slot.packageEnergy, parameters, slot.sample);
  } else {
    TakeMonitoringSample(cpu, sources, slot.monitoringTimes, parameters, slot.sample);
  }
  if (slot.sample.clock > 0.0) slot.lastClockMhz = slot.sample.clock;
  if (tail_) tail_(k);
  // A worker that is stopping waits for its partner no longer.
  tscSync_.Pass(k, [this] { return threads_.StopRequested(); });
}

bool Sampler::Refresh(RefreshFlags flags, uint32_t nowMs) {
  if (!gate_.Admit(nowMs, settings_.refreshMs)) return false;
  // Without running threads there is nothing new: the views show the values as they are.
  if (!flags.skipSampling && threads_.SampleAll()) ShowTheSampledValues();
  context_.observer.UpdateViews(flags.redrawViews);
  if (count_ != 0) displayProcessor_ = (displayProcessor_ + 1) % count_;
  return true;
}

void Sampler::ShowTheSampledValues() {
  const CpuSample& display = slots_[displayProcessor_].sample;
  if (settings_.overheatAlert != 0 && display.overheat != 0 &&
      settings_.showCriticalBalloons != 0) {
    context_.observer.ShowWarningBalloon(OverheatBalloon(display, context_.texts));
  }
  std::array<CpuSample, kMaxProcessors> samples;
  for (uint32_t k = 0; k < count_; ++k) samples[k] = slots_[k].sample;
  means_ = ComputeMeans(std::span(samples).first(count_));
  texts_ = FormatDisplayTexts(display, means_, settings_.tempUnits, powerSource_, context_.texts);
  shownProcessor_ = displayProcessor_;
  ++samplesShown_;
  context_.observer.WriteLogRecord();
  if (settings_.runHltOnIdle != 0) context_.observer.SuperviseIdleHelpers();
}

void Sampler::MeasureManagementLoad(uint32_t k) {
  if (k >= count_) return;
  ProcessorSlot& slot = slots_[k];
  const LoadSources sources{context_.hardware, count_, IdleHelperInUse()};
  ManagementParameters parameters;
  parameters.calibration = {busClockMhz_.load(), cyclesPerPass_.load()};
  parameters.loadDepth = Depth(loadDepth_.load());
  parameters.selectOsLoad = cpuOsLoadSelect_.load() != 0;
  parameters.lastClockMhz = slot.lastClockMhz.load();
  CpuInfo& cpu = context_.processors[k];
  slot.managementLoad.exchange(
      MeasuresByActivity(cpu)
          ? ActivityManagementLoad(cpu, sources, slot.managementTimes, slot.managementActivity,
                                   parameters.loadDepth, parameters.selectOsLoad)
          : ComputeManagementLoad(cpu, sources, slot.managementTimes, parameters));
}

int32_t Sampler::ManagementLoad(uint32_t k) const {
  return k < count_ ? slots_[k].managementLoad.load() : 0;
}

int32_t Sampler::CombinedLoad(uint32_t k) const {
  if (k >= count_) return 0;
  std::array<int32_t, kMaxProcessors> loads{};
  for (uint32_t j = 0; j < count_; ++j) loads[j] = slots_[j].managementLoad.load();
  const int32_t partner = context_.processors[k].partnerIndex;
  std::optional<int32_t> sibling;
  if (partner >= 0 && static_cast<uint32_t>(partner) < count_) sibling = loads[partner];
  return CombineLoads(cpuLoadMethod_.load(), loads[k], sibling, std::span(loads).first(count_));
}

}  // namespace pacetta
