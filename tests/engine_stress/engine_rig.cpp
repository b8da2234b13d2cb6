#include "tests/engine_stress/engine_rig.h"

#include <stdexcept>

#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/clock_modulation.h"
#include "testing/engine_setup.h"

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
    : machine_({.machine = options.machine, .load = options.load}),
      settings_(CalibratedManagement(machine_, options.management)),
      refreshMs_(options.sampling.refreshMs) {
  std::vector<CpuInfo>& records = machine_.Records();
  LoadFixedProfiles(store_, records[0], 2 * settings_.controlIntervalMs);
  throttles_ = SupportsOdcm(records[0]);
  if (throttles_) AddThrottlingProfile(store_, records[0]);

  platform::Platform& view = machine_.View();
  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records, machine_.Sensors(), view.processors, stop,
                     [](uint32_t) { return std::string(); }, views},
      options.sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  management::ManagementHooks hooks;
  hooks.periodEnded = [this](unsigned k, const management::PeriodReport& report) {
    periods.Ended(k, report.changed);
  };
  manager_ = std::make_unique<management::PerformanceManager>(
      records, store_, *loads_,
      management::ManagementHardware{machine_.Sensors(), view.processors, &priorities}, stop,
      settings_, hooks);
}

EngineRig::~EngineRig() {
  Stop();
  manager_.reset();
  sampler_.reset();
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
  const auto state = machine_.Pc().ProcessorState(k);
  return state && !state->transitionPending && state->current.fid == row.fid &&
         state->current.vid == row.vid && state->dutyEighths == kFullClockLevel;
}

std::string EngineRig::Violations() {
  return machine_.ViolationText();
}

}  // namespace pacetta::testing
