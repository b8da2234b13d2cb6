#include "bench/engine_bench_rig.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "testing/engine_setup.h"

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

EngineBench::EngineBench(const EngineBenchOptions& options)
    : machine_({.machine = options.machine,
                .load = options.load,
                .clock = clock_,
                .whenBuilt = [this] { clock_->Release(); }}),
      settings_(testing::CalibratedManagement(machine_, options.management)),
      refreshMs_(options.sampling.refreshMs) {
  std::vector<CpuInfo>& records = machine_.Records();
  testing::LoadFixedProfiles(store_, records[0]);

  platform::Platform& view = machine_.View();
  SamplerSettings sampling = options.sampling;
  sampling.loadDepth = static_cast<int32_t>(
      management::LoadDepth(100, settings_.controlIntervalMs));  // "LoadAverage" 100 ms
  sampler_ = std::make_unique<Sampler>(
      SamplerContext{records, machine_.Sensors(), view.processors, stop_,
                     [](uint32_t) { return std::string(); }, views_},
      sampling, Calibration{settings_.busClockMhz, settings_.cyclesPerPass});
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);
  manager_ = std::make_unique<management::PerformanceManager>(
      records, store_, *loads_, management::ManagementHardware{machine_.Sensors(), view.processors},
      stop_, settings_, options.hooks);
}

EngineBench::~EngineBench() {
  Stop();
  manager_.reset();
  sampler_.reset();
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
  std::vector<platform::ProcessorTimes> times(machine_.Records().size());
  if (machine_.View().entryPoints.QueryProcessorTimes(times) != 0) return 0;
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
