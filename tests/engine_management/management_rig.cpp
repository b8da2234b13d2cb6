#include "tests/engine_management/management_rig.h"

#include <gtest/gtest.h>

#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/k8_fid_table.h"
#include "engine/profiles/thresholds.h"
#include "hw/pinning.h"
#include "testing/engine_setup.h"

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
    : machine_({.machine = machine, .load = std::move(load), .clock = clock_}),
      settings_(CalibratedManagement(machine_, settings)) {
  EXPECT_GT(settings_.busClockMhz, 0.0) << "processor 0's clock over its multiplier";
  std::vector<CpuInfo>& records = machine_.Records();
  platform::Platform& view = machine_.View();
  if (records[0].isK8) {
    // The stepped path and the table it offers: only FIDs the part can reach.
    settings_.pstate.k8PstMethod = kK8SteppedPath;
    PStateHardware pstates = machine_.PStates();
    for (CpuInfo& cpu : records) {
      SelectK8FidTable(cpu, kK8SteppedPath);
      BuildCandidateList(cpu, pstates);
    }
    UnpinThread(view.processors);
  }
  LoadFixedProfiles(store_, records[0], 2 * settings_.controlIntervalMs);

  // The management loads come from the sampler, as in the program; its monitoring
  // threads are not needed for them.
  SamplerSettings sampling;
  sampling.loadDepth = 1;
  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records, machine_.Sensors(), view.processors, stop,
                     [](uint32_t) { return std::string(); }, views_},
      sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  management::ManagementHooks hooks;
  hooks.periodEnded = [this](unsigned k, const management::PeriodReport& report) {
    log.Add(k, report);
  };
  hooks.infoBalloon = [this](uint32_t title, uint32_t text) { balloons.emplace_back(title, text); };
  hooks.notification = [this](uint32_t event) { balloons.emplace_back(event, 0); };
  hooks.profileActivated = [this](int32_t index) { activated.push_back(index); };
  manager_ = std::make_unique<management::PerformanceManager>(
      records, store_, *loads_,
      management::ManagementHardware{machine_.Sensors(), view.processors, &priorities}, stop,
      settings_, hooks);
}

ManagementRig::~ManagementRig() {
  manager_.reset();  // its threads measure through the sampler
  sampler_.reset();
}

void ManagementRig::Start(int32_t profile, int32_t acLineStatus) {
  manager_->Start({profile, profile}, acLineStatus);
}

FidVid ManagementRig::Running(unsigned k) {
  const auto state = machine_.Pc().ProcessorState(k);
  if (!state) return {};
  const sim::OperatingPoint point = state->target.value_or(state->current);
  return {point.fid, point.vid};
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
