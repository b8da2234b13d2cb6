#include "platform/sim/workload/workload.h"

#include "platform/linux/linux_os_entry_points.h"
#include "platform/sim/models/attach_activity.h"
#include "platform/sim/models/ich_lpc.h"
#include "platform/sim/workload/host_load.h"
#include "platform/sim/workload/scripted_load.h"

namespace pacetta::sim {
namespace {

// A host load source that owns the host's entry points it reads.
class OwningHostLoad final : public LoadSource {
 public:
  explicit OwningHostLoad(std::shared_ptr<platform::OsEntryPoints> host)
      : host_(std::move(host)), load_(*host_) {}
  LoadSlice At(unsigned processor, uint64_t ns) override { return load_.At(processor, ns); }

 private:
  std::shared_ptr<platform::OsEntryPoints> host_;
  HostLoad load_;
};

std::shared_ptr<LoadSource> MakeLoad(const WorkloadOptions& options, uint64_t originNs,
                                     std::shared_ptr<platform::OsEntryPoints> hostTimes) {
  if (!options.hostLoad) return std::make_shared<ScriptedLoad>(options.scripts, originNs);
  if (!hostTimes) hostTimes = std::make_shared<linux_os::LinuxOsEntryPoints>();
  return std::make_shared<OwningHostLoad>(std::move(hostTimes));
}

ThermalParameters ThermalOf(const ProcessorSpec& processor, const ProcessorTraits& traits,
                            const WorkloadOptions& options) {
  ThermalParameters thermal = DefaultThermal(traits, ThermalLimitC(processor));
  if (options.ambientC) thermal.ambientC = *options.ambientC;
  if (options.riseC) thermal.riseC = *options.riseC;
  if (options.timeConstantS) thermal.timeConstantS = *options.timeConstantS;
  return thermal;
}

}  // namespace

Workload::Workload(const MachineSpec& machine, DriverHardware& hardware,
                   const ProcessorModels& models, std::shared_ptr<SimClock> clock,
                   const WorkloadOptions& options,
                   std::shared_ptr<platform::OsEntryPoints> hostTimes)
    : clock_(std::move(clock)) {
  const auto load = MakeLoad(options, clock_->NowNs(), std::move(hostTimes));
  std::vector<std::shared_ptr<ProcessorActivity>> activities;
  for (unsigned k = 0; k < machine.processors.size(); ++k) {
    const ProcessorSpec& processor = machine.processors[k];
    const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
    FamilyModel* model = models.Model(k);
    ModelState initial;
    initial.family = traits.family;
    if (model != nullptr) initial = model->State();
    auto timeline = std::make_shared<ProcessorTimeline>(
        k, ClockRates(traits, PowerOnDataFor(traits)), ThermalOf(processor, traits, options), load,
        clock_, initial, processor.tscDriftPpm);
    if (model != nullptr) {
      model->SetStateListener([timeline](uint64_t nowNs, const ModelState& state) {
        timeline->OnModelState(nowNs, state);
      });
      listened_.push_back(model);
      model->FollowLoad([load, k](uint64_t ns) { return load->At(k, ns).busy; });
    }
    timelines_.push_back(timeline);
    activities.push_back(timeline);
  }
  AttachActivityRegisters(machine, hardware, activities);
  AttachIchHub(machine, hardware, [timelines = timelines_, clock = clock_](double duty) {
    const uint64_t now = clock->NowNs();
    for (const auto& timeline : timelines) timeline->OnChipsetDuty(now, duty);
  });
}

Workload::~Workload() {
  for (FamilyModel* model : listened_) model->SetStateListener({});
}

uint64_t Workload::TimeStampCounter(unsigned k) {
  return k < timelines_.size() ? timelines_[k]->TimeStampCounter() : 0;
}

void Workload::SpinDelay(unsigned k, uint32_t iterations) {
  if (k >= timelines_.size() || iterations == 0) return;
  ProcessorTimeline& timeline = *timelines_[k];
  timeline.BeginSpin();
  const uint64_t ns = timeline.NanosecondsFor(iterations * kCyclesPerPass);
  clock_->WaitUntil(clock_->NowNs() + ns);
  timeline.EndSpin();
}

void Workload::ProcessorTimes(std::span<platform::ProcessorTimes> times) {
  for (size_t k = 0; k < times.size(); ++k) {
    times[k] = k < timelines_.size() ? timelines_[k]->Times() : platform::ProcessorTimes{};
  }
}

std::optional<ProcessorTruth> Workload::Truth(unsigned k) {
  if (k >= timelines_.size()) return std::nullopt;
  return timelines_[k]->Truth();
}

}  // namespace pacetta::sim
