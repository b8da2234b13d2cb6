#include "tests/engine_monitor/sampler_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::testing {

uint64_t GangClock::NowNs() {
  std::lock_guard lock(mutex_);
  return now_;
}

void GangClock::WaitUntil(uint64_t ns) {
  std::unique_lock lock(mutex_);
  if (gang_ <= 1) {
    now_ = std::max(now_, ns);
    return;
  }
  const uint64_t generation = generation_;
  latestEnd_ = std::max(latestEnd_, ns);
  if (++arrived_ == gang_) {
    now_ = std::max(now_, latestEnd_);
    arrived_ = 0;
    latestEnd_ = 0;
    ++generation_;
    released_.notify_all();
    return;
  }
  if (!released_.wait_for(lock, std::chrono::seconds(10),
                          [&] { return generation_ != generation; })) {
    --arrived_;
    now_ = std::max(now_, ns);
  }
}

void GangClock::Advance(uint64_t ns) {
  std::lock_guard lock(mutex_);
  now_ += ns;
}

void GangClock::SetGang(unsigned threads) {
  std::lock_guard lock(mutex_);
  gang_ = threads;
}

void RecordingObserver::ShowWarningBalloon(const Balloon& balloon) {
  std::lock_guard lock(mutex_);
  steps_.push_back("balloon");
  balloons_.push_back(balloon);
}
void RecordingObserver::Note(const std::string& step) {
  std::lock_guard lock(mutex_);
  steps_.push_back(step);
}
std::vector<std::string> RecordingObserver::Steps() {
  std::lock_guard lock(mutex_);
  return steps_;
}
std::vector<Balloon> RecordingObserver::Balloons() {
  std::lock_guard lock(mutex_);
  return balloons_;
}
void RecordingObserver::Clear() {
  std::lock_guard lock(mutex_);
  steps_.clear();
  balloons_.clear();
}

std::string EnglishText(uint32_t id) {
  switch (id) {
    case kTextAcPower:
      return "AC power";
    case kTextBattery:
      return "Battery";
    case kTextCurrentThrottleLevel:
      return "Current CPU throttle level: %s";
    case kTextOverheatDetected:
      return "CPU core overheat detected";
    case kTextNotAvailable:
      return "N/A";
    default:
      return "";
  }
}

SamplerRig::SamplerRig(const RigOptions& options) : refreshMs(options.settings.refreshMs) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  sim::SimulationOptions simulation;
  simulation.machine = options.machine;
  simulation.load = options.load;
  simulation.thermal = options.thermal;
  simulation.clock = clock;
  simulation.stateFolder = ::testing::TempDir() + "monitor-" + test->name() + "-" + options.machine;
  simulation.settingsPath = simulation.stateFolder + "/settings.json";
  std::string error;
  pc = sim::SimulatedPc::Create(simulation, error);
  if (!pc) throw std::runtime_error(options.machine + ": " + error);
  platform::Platform& view = pc->View();
  driver = std::make_unique<CPortexDriver>(view);
  if (driver->Open(0) != 0) throw std::runtime_error("the driver did not open");
  entryPoints.Resolve(view.entryPoints, view.system);
  northbridge = std::make_unique<CK8Northbridge>(*driver);
  sensors = std::make_unique<SensorHardware>(
      SensorHardware{*driver, view.cpu, entryPoints, northbridge.get()});
  records.resize(UsableProcessorCount(view.processors));
  AssignTopology(view, records);
  PStateHardware pstates{*driver, view.processors, {}};
  ReadingsCompletion completion(pstates, *sensors);
  IdentifyContext context{view.processors, view.cpu, *driver, &completion};
  for (CpuInfo& record : records) IdentifyProcessor(record, context);

  // The start-up calibration: the loop on processor 0, then its clock over its multiplier.
  CalibrateDelayLoop(view.processors, view.cpu, calibration.cyclesPerPass);
  PinToProcessor(view.processors, 0);
  ReadCurrentState(records[0], *sensors);
  ClockReading reading;
  MeasureClock(records[0], *sensors, kCalibrationPasses, reading);
  calibration.busClockMhz =
      BusClockMhz(reading.clockHz, MultiplierOf(records[0], records[0].currentFid));
  UnpinThread(view.processors);

  SamplerContext samplerContext{records,     *sensors, view.processors,    stop,
                                EnglishText, observer, options.idleHelper, options.threadStarter};
  sampler = std::make_unique<Sampler>(samplerContext, options.settings, calibration);
}

SamplerRig::~SamplerRig() {
  stop.Set();
  sampler.reset();
  if (driver) driver->Close(true);
}

bool SamplerRig::TimedRefresh(RefreshFlags flags) {
  clock->Advance(static_cast<uint64_t>(refreshMs) * kMs);
  tick += static_cast<uint32_t>(refreshMs);
  clock->SetGang(static_cast<unsigned>(records.size()));
  const bool refreshed = sampler->Refresh(flags, tick);
  clock->SetGang(1);
  return refreshed;
}

void SamplerRig::OnProcessor(uint32_t k, const std::function<void()>& work) {
  std::thread thread([&] {
    PinToProcessor(View().processors, k);
    work();
  });
  thread.join();
}

}  // namespace pacetta::testing
