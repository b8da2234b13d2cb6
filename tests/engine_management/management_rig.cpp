#include "tests/engine_management/management_rig.h"

#include <gtest/gtest.h>

#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/delay_calibration.h"
#include "cpu/sensors/sensor_completion.h"
#include "engine/profiles/thresholds.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta::testing {

namespace {
constexpr uint32_t kK8SteppedPath = 1u << 3;
}  // namespace

bool RecordingPriorities::SetProcessPriority(platform::ProcessPriority priority) {
  std::lock_guard lock(mutex_);
  processes_.push_back(priority);
  return true;
}

bool RecordingPriorities::SetThreadPriority(platform::ThreadPriority priority) {
  std::lock_guard lock(mutex_);
  threads_.push_back(priority);
  return true;
}

std::vector<platform::ProcessPriority> RecordingPriorities::Processes() {
  std::lock_guard lock(mutex_);
  return processes_;
}

std::vector<platform::ThreadPriority> RecordingPriorities::Threads() {
  std::lock_guard lock(mutex_);
  return threads_;
}

void PeriodLog::Add(unsigned k, const management::PeriodReport& report) {
  {
    std::lock_guard lock(mutex_);
    reports_[k].push_back(report);
  }
  changed_.notify_all();
}

bool PeriodLog::WaitFor(
    const std::function<bool(const std::vector<std::vector<management::PeriodReport>>&)>& done,
    std::chrono::seconds bound) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return done(reports_); });
}

std::vector<management::PeriodReport> PeriodLog::Of(unsigned k) {
  std::lock_guard lock(mutex_);
  return reports_[k];
}

ManagementRig::ManagementRig(const std::string& machine, management::ManagementSettings settings,
                             std::string load)
    : settings_(settings) {
  sim::SimulationOptions options;
  options.machine = machine;
  options.stateFolder = folder_.File("state");
  options.settingsPath = folder_.File("settings.json");
  options.load = std::move(load);
  options.clock = clock_;
  std::string error;
  pc_ = sim::SimulatedPc::Create(options, error);
  if (!pc_) throw std::runtime_error(error);
  platform::Platform& view = pc_->View();
  driver_ = std::make_unique<CPortexDriver>(view);
  EXPECT_EQ(driver_->Open(0), 0);
  entryPoints_.Resolve(view.entryPoints, view.system);
  northbridge_ = std::make_unique<CK8Northbridge>(*driver_);

  records_.resize(UsableProcessorCount(view.processors));
  AssignTopology(view, records_);
  PStateHardware pstates{*driver_, view.processors, {}};
  sensors_ = std::make_unique<SensorHardware>(
      SensorHardware{*driver_, view.cpu, entryPoints_, northbridge_.get()});
  SensorHardware& sensors = *sensors_;
  ReadingsCompletion completion(pstates, sensors);
  IdentifyContext identify{view.processors, view.cpu, *driver_, &completion};
  for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);

  // Calibration as the main window's initialisation takes it, on processor 0.
  EXPECT_TRUE(CalibrateDelayLoop(view.processors, view.cpu, settings_.cyclesPerPass));
  PinToProcessor(view.processors, 0);
  ClockReading clock;
  EXPECT_TRUE(MeasureClock(records_[0], sensors, kCalibrationPasses, clock));
  settings_.busClockMhz = BusClockMhz(
      clock.clockHz, MultiplierOf(records_[0], static_cast<int32_t>(records_[0].currentFid)));
  UnpinThread(view.processors);
  settings_.pstate = DefaultPStateSettings(records_[0]);
  if (records_[0].isK8) {
    // The stepped path and the table it offers: only FIDs the part can reach.
    settings_.pstate.k8PstMethod = kK8SteppedPath;
    for (CpuInfo& cpu : records_) {
      SelectK8FidTable(cpu, kK8SteppedPath);
      BuildCandidateList(cpu, pstates);
    }
    UnpinThread(view.processors);
  }

  store_.Load({}, records_[0], kMaxProfiles);
  const int32_t last = store_.Table().lastIndex;
  for (int32_t index : {kPowerSavingProfile, kMaximalPerformanceProfile, kOnDemandProfile}) {
    for (ProfileHalf* half : {&store_.At(index)->ac, &store_.At(index)->dc}) {
      half->useFidVid = 1;
      half->upIntervalMs = 2 * settings_.controlIntervalMs;
      half->downIntervalMs = 2 * settings_.controlIntervalMs;
      if (index == kOnDemandProfile) {
        half->lastState = last;
        for (int32_t row = 0; row <= last; ++row) half->states[static_cast<size_t>(row)] = row;
      } else {
        half->lastState = 0;
        half->states[0] = index == kPowerSavingProfile ? 0 : last;
      }
    }
    store_.Derive(index, records_[0]);
  }

  // The management loads come from the sampler, as in the program; its monitoring
  // threads are not needed for them.
  SamplerSettings sampling;
  sampling.loadDepth = 1;
  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records_, sensors, view.processors, stop,
                     [](uint32_t) { return std::string(); }, views_},
      sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  management::ManagementHooks hooks;
  hooks.periodEnded = [this](unsigned k, const management::PeriodReport& report) {
    log.Add(k, report);
  };
  hooks.infoBalloon = [this](uint32_t title, uint32_t text) { balloons.emplace_back(title, text); };
  hooks.profileActivated = [this](int32_t index) { activated.push_back(index); };
  manager_ = std::make_unique<management::PerformanceManager>(
      records_, store_, *loads_,
      management::ManagementHardware{sensors, view.processors, &priorities}, stop, settings_,
      hooks);
}

ManagementRig::~ManagementRig() {
  manager_.reset();  // its threads measure through the sampler
  sampler_.reset();
  driver_.reset();
}

void ManagementRig::Start(int32_t profile, int32_t acLineStatus) {
  manager_->Start({profile, profile}, acLineStatus);
}

FidVid ManagementRig::Running(unsigned k) {
  const auto state = pc_->ProcessorState(k);
  if (!state) return {};
  const sim::OperatingPoint point = state->target.value_or(state->current);
  return {point.fid, point.vid};
}

std::string ManagementRig::Violations() {
  std::string text;
  for (const sim::Violation& v : pc_->Violations()) {
    text += "cpu " + std::to_string(v.processor) + " reg " + std::to_string(v.index) + " value " +
            std::to_string(v.value) + ": " + v.reason + "\n";
  }
  return text;
}

bool ManagementRig::WaitForState(int32_t statePosition, std::chrono::seconds bound) {
  return log.WaitFor(
      [&](const auto& reports) {
        const auto* half = manager_->CurrentHalf();
        for (unsigned k = 0; k < Count(); ++k) {
          if (reports[k].empty()) return false;
          const auto& last = reports[k].back();
          if (last.positions.state != statePosition || last.changed) return false;
        }
        return half != nullptr;
      },
      bound);
}

}  // namespace pacetta::testing
