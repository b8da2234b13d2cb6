#include "bench/engine_bench_rig.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "cpu/identify/identify_processor.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::bench {

HeldStartClock::HeldStartClock() : heldAt_(sim::HostClock().NowNs()) {}

uint64_t HeldStartClock::NowNs() {
  if (held_.load()) return heldAt_;
  return host_.NowNs() + offset_.load();
}

void HeldStartClock::WaitUntil(uint64_t ns) {
  if (held_.load()) return;
  while (NowNs() < ns) host_.WaitUntil(ns - offset_.load());
}

void HeldStartClock::Release() {
  offset_ = heldAt_ - host_.NowNs();  // modulo 2^64: host time + offset = heldAt_
  held_ = false;
}

namespace {

std::string FreshFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pacetta-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
  return pattern;
}

void SetUpProfiles(ProfileStore& store, const CpuInfo& cpu) {
  const int32_t last = store.Table().lastIndex;
  for (int32_t index : {kPowerSavingProfile, kMaximalPerformanceProfile, kOnDemandProfile}) {
    for (ProfileHalf* half : {&store.At(index)->ac, &store.At(index)->dc}) {
      half->useFidVid = 1;
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

}  // namespace

EngineBench::EngineBench(const EngineBenchOptions& options)
    : folder_(FreshFolder()),
      settings_(options.management),
      refreshMs_(options.sampling.refreshMs) {
  sim::SimulationOptions simulation;
  simulation.machine = options.machine;
  simulation.stateFolder = folder_ + "/state";
  simulation.settingsPath = folder_ + "/settings.json";
  simulation.load = options.load;
  simulation.clock = clock_;
  std::string error;
  pc_ = sim::SimulatedPc::Create(simulation, error);
  if (!pc_) throw std::runtime_error(options.machine + ": " + error);
  clock_->Release();
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

  CalibrateDelayLoop(view.processors, view.cpu, settings_.cyclesPerPass);
  PinToProcessor(view.processors, 0);
  ReadCurrentState(records_[0], *sensors_);
  ClockReading clock;
  MeasureClock(records_[0], *sensors_, kCalibrationPasses, clock);
  settings_.busClockMhz = BusClockMhz(
      clock.clockHz, MultiplierOf(records_[0], static_cast<int32_t>(records_[0].currentFid)));
  UnpinThread(view.processors);
  settings_.pstate = DefaultPStateSettings(records_[0]);

  store_.Load({}, records_[0], kMaxProfiles);
  SetUpProfiles(store_, records_[0]);

  SamplerSettings sampling = options.sampling;
  sampling.loadDepth = static_cast<int32_t>(
      management::LoadDepth(100, settings_.controlIntervalMs));  // "LoadAverage" 100 ms
  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records_, *sensors_, view.processors, stop_,
                     [](uint32_t) { return std::string(); }, views_},
      sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  manager_ = std::make_unique<management::PerformanceManager>(
      records_, store_, *loads_, management::ManagementHardware{*sensors_, view.processors}, stop_,
      settings_, options.hooks);
}

EngineBench::~EngineBench() {
  Stop();
  manager_.reset();
  sampler_.reset();
  if (driver_) driver_->Close(true);
  driver_.reset();
  pc_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void EngineBench::Start(int32_t profile) {
  if (!sampler_->Start()) throw std::runtime_error("the monitoring threads did not start");
  manager_->Start({profile, profile}, 1);
}

void EngineBench::Stop() {
  manager_->Stop();
  sampler_->Stop();
}

bool EngineBench::Refresh() {
  tick_ += static_cast<uint32_t>(refreshMs_);
  return sampler_->Refresh({}, tick_);
}

uint64_t EngineBench::BusyNs() {
  std::vector<platform::ProcessorTimes> times(records_.size());
  if (pc_->View().entryPoints.QueryProcessorTimes(times) != 0) return 0;
  int64_t busy100ns = 0;
  // Kernel time includes idle time.
  for (const auto& t : times) busy100ns += t.kernel - t.idle + t.user;
  return static_cast<uint64_t>(std::max<int64_t>(busy100ns, 0)) * 100;
}

double Percentile(std::vector<double> values, double percent) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<size_t>(std::ceil(percent / 100.0 * values.size()));
  return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

}  // namespace pacetta::bench
