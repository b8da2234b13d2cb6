#include "tests/engine_monitor/sampler_rig.h"

#include <algorithm>
#include <thread>

#include "hw/pinning.h"

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

SamplerRig::SamplerRig(const RigOptions& options)
    : machine({.machine = options.machine,
               .load = options.load,
               .thermal = options.thermal,
               .clock = clock,
               .trace = options.trace}),
      calibration(machine.CalibrateAsAtStart()),
      refreshMs(options.settings.refreshMs) {
  SamplerContext samplerContext{
      records,     machine.Sensors(), View().processors,  stop,
      EnglishText, observer,          options.idleHelper, options.threadStarter};
  sampler = std::make_unique<Sampler>(samplerContext, options.settings, calibration);
}

SamplerRig::~SamplerRig() {
  stop.Set();
  sampler.reset();
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
