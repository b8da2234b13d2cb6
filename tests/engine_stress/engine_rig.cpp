#include "tests/engine_stress/engine_rig.h"

#include <stdexcept>

#include "cpu/identify/feature_predicates.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/clock_modulation.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::testing {

void PeriodSignal::Ended(unsigned k, bool changed) {
  {
    std::lock_guard lock(mutex_);
    ++counts_[k];
    ++total_;
    if (changed) ++changes_;
  }
  ended_.notify_all();
}

uint64_t PeriodSignal::Count(unsigned k) {
  std::lock_guard lock(mutex_);
  return counts_[k];
}

uint64_t PeriodSignal::Changes() {
  std::lock_guard lock(mutex_);
  return changes_;
}

bool PeriodSignal::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  std::unique_lock lock(mutex_);
  for (;;) {
    const uint64_t seen = total_;
    lock.unlock();
    const bool reached = done();
    lock.lock();
    if (reached) return true;
    if (!ended_.wait_until(lock, deadline, [&] { return total_ != seen; })) return false;
  }
}

namespace {

void SetUpFixedProfiles(ProfileStore& store, const CpuInfo& cpu, int32_t intervalMs) {
  const int32_t last = store.Table().lastIndex;
  for (int32_t index : {kPowerSavingProfile, kMaximalPerformanceProfile, kOnDemandProfile}) {
    for (ProfileHalf* half : {&store.At(index)->ac, &store.At(index)->dc}) {
      half->useFidVid = 1;
      half->upIntervalMs = intervalMs;
      half->downIntervalMs = intervalMs;
      if (index == kOnDemandProfile) {
        half->lastState = last;
        for (int32_t row = 0; row <= last; ++row) half->states[static_cast<size_t>(row)] = row;
      } else {
        half->lastState = 0;
        half->states[0] = index == kPowerSavingProfile ? 0 : last;
      }
    }
    store.Derive(index, cpu);
  }
}

// On demand over the states and the throttle levels 4 and 8 together.
void AddThrottlingProfile(ProfileStore& store, const CpuInfo& cpu) {
  const auto index = store.Add("Throttled on demand");
  if (!index) throw std::runtime_error("no room for a custom profile");
  Profile& profile = *store.At(*index);
  profile = *store.At(kOnDemandProfile);
  for (ProfileHalf* half : {&profile.ac, &profile.dc}) {
    half->useThrottle = 1;
    half->lastThrottle = 1;
    half->throttles[0] = 4;
    half->throttles[1] = kNoThrottling;
  }
  store.Derive(*index, cpu);
}

}  // namespace

EngineRig::EngineRig(const EngineRigOptions& options)
    : settings_(options.management), refreshMs_(options.sampling.refreshMs) {
  sim::SimulationOptions simulation;
  simulation.machine = options.machine;
  simulation.stateFolder = folder_.File("state");
  simulation.settingsPath = folder_.File("settings.json");
  simulation.load = options.load;
  std::string error;
  pc_ = sim::SimulatedPc::Create(simulation, error);
  if (!pc_) throw std::runtime_error(options.machine + ": " + error);
  platform::Platform& view = pc_->View();
  driver_ = std::make_unique<CPortexDriver>(view);
  if (driver_->Open(0) != 0) throw std::runtime_error("the driver did not open");
  entryPoints_.Resolve(view.entryPoints, view.system);
  northbridge_ = std::make_unique<CK8Northbridge>(*driver_);
  sensors_ = std::make_unique<SensorHardware>(
      SensorHardware{*driver_, view.cpu, entryPoints_, northbridge_.get()});

  records_.resize(UsableProcessorCount(view.processors));
  AssignTopology(view, records_);
  PStateHardware pstates{*driver_, view.processors, {}};
  ReadingsCompletion completion(pstates, *sensors_);
  IdentifyContext identify{view.processors, view.cpu, *driver_, &completion};
  for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);

  // The start-up calibration on processor 0: the busy loop, then the bus clock.
  if (!CalibrateDelayLoop(view.processors, view.cpu, settings_.cyclesPerPass))
    throw std::runtime_error("the delay loop did not calibrate");
  PinToProcessor(view.processors, 0);
  ReadCurrentState(records_[0], *sensors_);
  ClockReading clock;
  MeasureClock(records_[0], *sensors_, kCalibrationPasses, clock);
  settings_.busClockMhz = BusClockMhz(
      clock.clockHz, MultiplierOf(records_[0], static_cast<int32_t>(records_[0].currentFid)));
  UnpinThread(view.processors);
  settings_.pstate = DefaultPStateSettings(records_[0]);

  store_.Load({}, records_[0], kMaxProfiles);
  SetUpFixedProfiles(store_, records_[0], 2 * settings_.controlIntervalMs);
  throttles_ = SupportsOdcm(records_[0]);
  if (throttles_) AddThrottlingProfile(store_, records_[0]);

  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records_, *sensors_, view.processors, stop,
                     [](uint32_t) { return std::string(); }, views},
      options.sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  management::ManagementHooks hooks;
  hooks.periodEnded = [this](unsigned k, const management::PeriodReport& report) {
    periods.Ended(k, report.changed);
  };
  manager_ = std::make_unique<management::PerformanceManager>(
      records_, store_, *loads_,
      management::ManagementHardware{*sensors_, view.processors, &priorities}, stop, settings_,
      hooks);
}

EngineRig::~EngineRig() {
  Stop();
  manager_.reset();
  sampler_.reset();
  if (driver_) driver_->Close(true);
}

void EngineRig::Start(int32_t profile, int32_t acLineStatus) {
  if (!sampler_->Start()) throw std::runtime_error("the monitoring threads did not start");
  manager_->Start({profile, profile}, acLineStatus);
}

void EngineRig::Stop() {
  manager_->Stop();
  sampler_->Stop();
}

bool EngineRig::Refresh(RefreshFlags flags) {
  tick_ += static_cast<uint32_t>(refreshMs_);
  return sampler_->Refresh(flags, tick_);
}

bool EngineRig::RunsSettledAt(unsigned k, const PState& row) {
  const auto state = pc_->ProcessorState(k);
  return state && !state->transitionPending && state->current.fid == row.fid &&
         state->current.vid == row.vid && state->dutyEighths == kFullClockLevel;
}

std::string EngineRig::Violations() {
  std::string text;
  for (const sim::Violation& v : pc_->Violations()) {
    text += "cpu " + std::to_string(v.processor) + " reg " + std::to_string(v.index) + " value " +
            std::to_string(v.value) + ": " + v.reason + "\n";
  }
  return text;
}

}  // namespace pacetta::testing
